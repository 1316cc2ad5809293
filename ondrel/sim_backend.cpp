// The simulated bus: a bus file read at open, written back after each write
// so that the next run finds the card where this one left it.
#include <stdio.h>
#include <string.h>

#include "backend.h"
#include "bus_file_update.h"
#include "env_setting.h"
#include "file_store.h"
#include "last_error.h"

namespace {

struct SimBus {
    std::string path;
    BusFile file;
};

bool sim_wanted(void) { return env_setting("ONDREL_SIM") != nullptr; }

void *sim_open(uint32_t *error)
{
    const char *path = env_setting("ONDREL_SIM");
    std::string bytes;
    if (uint32_t failure = read_whole_file(path, bytes)) {
        *error = failure;
        return nullptr;
    }
    SimBus *bus = new SimBus;
    bus->path = path;
    BusFileFault fault;
    if (!parse_bus_file(bytes, bus->file, fault)) {
        fprintf(stderr, "ondrel: %s:%zu: %s\n", path, fault.line, fault.what.c_str());
        delete bus;
        *error = ONDREL_ERROR_INVALID_DATA;
        return nullptr;
    }
    if (bus->file.has_open_error) {
        *error = bus->file.open_error;
        delete bus;
        return nullptr;
    }
    return bus;
}

int sim_read(void *state, unsigned bus_number, unsigned devfn, uint8_t *config)
{
    SimBus *bus = static_cast<SimBus *>(state);
    const BusFunction *function = find_function(bus->file, bus_number, devfn);
    if (!function || function->read_fails)
        return 1;
    function_config(bus->file, *function, config);
    return 0;
}

// A card hardwires the bits of register 2 below its I/O window's size: they
// keep what the function holds, whatever is written.
void keep_hardwired_bits(const BusFile &file, const BusFunction &function, unsigned offset, unsigned count,
                         uint8_t *data)
{
    if (function.io_window == 0)
        return;
    uint8_t config[CONFIG_SPACE_SIZE];
    function_config(file, function, config);
    uint32_t hardwired = function.io_window - 1;
    for (unsigned i = 0; i < count; i++) {
        unsigned at = offset + i;
        if (at >= BAR2_OFFSET && at < BAR2_OFFSET + 4) {
            uint8_t mask = (uint8_t)(hardwired >> 8 * (at - BAR2_OFFSET));
            data[i] = (uint8_t)((data[i] & ~mask) | (config[at] & mask));
        }
    }
}

int sim_status(void *state) { return static_cast<SimBus *>(state)->file.bios_absent ? 1 : 0; }

uint32_t sim_write(void *state, unsigned bus_number, unsigned devfn, unsigned offset, unsigned count,
                   const uint8_t *data)
{
    SimBus *bus = static_cast<SimBus *>(state);
    BusFunction *function = find_function(bus->file, bus_number, devfn);
    if (!function || count == 0)
        return 0;
    if (function->write_ignored)
        return count;

    // The write goes into the file as it is now (another run may have
    // changed it since the open), and only if the file takes it does the bus.
    BusFile now;
    uint32_t failure = update_whole_file(bus->path.c_str(), [&](std::string &bytes) -> uint32_t {
        BusFileFault fault;
        if (!parse_bus_file(bytes, now, fault)) {
            fprintf(stderr, "ondrel: %s:%zu: %s\n", bus->path.c_str(), fault.line, fault.what.c_str());
            return ONDREL_ERROR_INVALID_DATA;
        }
        BusFunction *target = find_function(now, bus_number, devfn);
        if (!target)
            return ONDREL_ERROR_INVALID_DATA;  // the function left the file meanwhile
        uint8_t taken[CONFIG_SPACE_SIZE];      // the caller keeps offset + count within the space
        memcpy(taken, data, count);
        keep_hardwired_bits(now, *target, offset, count, taken);
        if (!target->write_ignored)
            write_function_bytes(now, *target, offset, taken, count);
        bytes = bus_file_bytes(now);
        return 0;
    });
    if (failure) {
        fprintf(stderr, "ondrel: %s: cannot save the written bytes (error %lu)\n", bus->path.c_str(),
                (unsigned long)failure);
        return 0;
    }
    bus->file = now;
    return count;
}

void sim_close(void *state) { delete static_cast<SimBus *>(state); }

}  // namespace

const BusBackend sim_backend = { sim_wanted, sim_open, sim_read, sim_status, sim_write, sim_close };
