// The stand-in's side of lspci_differential.sh: DIR/0.bus to DIR/COUNT-1.bus
// as the stand-in reads them, printed as `lspci -F FILE -D -xxxx` prints
// them; and a write into each file read, as sim_write makes it.
//
//   bus_file_dump DIR COUNT
//
// For file N: "== N", then each function's address and the bytes lspci
// shows of it (64, 128 for a CardBus bridge, 256 or 4096, as far as its rows
// reach; below 64, lspci's warning instead) and "status 0", or the refusal
// and "status 1". Then DIR/N.written and "== N written": what it must show.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "bus_file_update.h"

namespace {

struct Space {
    uint8_t bytes[DUMP_SPACE_SIZE];
    size_t reach;
};

size_t shown(const Space &space)
{
    const size_t sizes[] = { DUMP_SPACE_SIZE, 256, 128, 64 };
    for (size_t size : sizes)
        if (space.reach >= size && (size != 128 || (space.bytes[0x0e] & 0x7f) == 2))
            return size;
    return 0;
}

void print_bus(const BusFile &bus, const std::vector<Space> &spaces)
{
    for (size_t f = 0; f < spaces.size(); f++) {
        const BusFunction &function = bus.functions[f];
        printf("%04x:%02x:%02x.%u\n", function.domain, function.bus, function.slot, function.function);
        if (shown(spaces[f]) == 0)
            printf("WARNING: Cannot show hex-dump of the config space\n");
        for (size_t row = 0; row < shown(spaces[f]); row += 16) {
            printf("%02zx:", row);
            for (size_t i = row; i < row + 16; i++)
                printf(" %02x", spaces[f].bytes[i]);
            printf("\n");
        }
    }
    printf("status 0\n");
}

// A few bytes, chosen by n, into one function; the rows a write adds may
// let lspci show more of it.
void write_some(BusFile &bus, std::vector<Space> &spaces, unsigned n, const std::string &path)
{
    size_t chosen = n % spaces.size();
    unsigned offset = n * 37 % CONFIG_SPACE_SIZE, count = std::min(1 + n % 8, CONFIG_SPACE_SIZE - offset);
    uint8_t data[8];
    for (unsigned i = 0; i < count; i++)
        data[i] = (uint8_t)(n * 13 + i * 29);
    write_function_bytes(bus, bus.functions[chosen], offset, data, count);
    std::ofstream(path + ".written", std::ios::binary) << bus_file_bytes(bus);

    printf("== %u written\n", n);
    BusFile again;
    BusFileFault fault;
    if (!parse_bus_file(bus_file_bytes(bus), again, fault) || again.functions.size() != spaces.size()) {
        printf("the stand-in reads its written file otherwise\n");
        return;
    }
    Space now;
    spaces[chosen].reach = function_bytes(again, again.functions[chosen], now.bytes, DUMP_SPACE_SIZE);
    memcpy(spaces[chosen].bytes + offset, data, count);
    print_bus(bus, spaces);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: bus_file_dump DIR COUNT\n");
        return 2;
    }
    for (unsigned n = 0; n < (unsigned)atoi(argv[2]); n++) {
        std::string path = std::string(argv[1]) + "/" + std::to_string(n);
        std::stringstream bytes;
        bytes << std::ifstream(path + ".bus", std::ios::binary).rdbuf();
        BusFile bus;
        BusFileFault fault;
        printf("== %u\n", n);
        if (!parse_bus_file(bytes.str(), bus, fault)) {
            printf("ondrel: %s.bus:%zu: %s\nstatus 1\n", path.c_str(), fault.line, fault.what.c_str());
            continue;
        }
        std::vector<Space> spaces(bus.functions.size());
        for (size_t f = 0; f < spaces.size(); f++)
            spaces[f].reach = function_bytes(bus, bus.functions[f], spaces[f].bytes, DUMP_SPACE_SIZE);
        print_bus(bus, spaces);
        if (!spaces.empty())
            write_some(bus, spaces, n, path);
    }
    return 0;
}
