// Trace lines, byte for byte as docs/driver-library-stand-in.md shows them.
#include <stdio.h>

#include <string>

#include "driver_interface.h"
#include "env_setting.h"
#include "trace.h"

namespace {

// The file is opened for each line, so that every line is in it when the
// call returns, whatever happens to the process afterwards.
void append_line(const std::string &line)
{
    const char *path = env_setting("ONDREL_TRACE");
    if (!path)
        return;
    FILE *file = fopen(path, "ab");
    bool written = file && fwrite(line.data(), 1, line.size(), file) == line.size();
    if (file && fclose(file) != 0)
        written = false;
    static bool warned = false;
    if (!written && !warned) {
        fprintf(stderr, "ondrel: cannot write the trace to %s\n", path);
        warned = true;
    }
}

// "01:09.0": bus and slot in two lower-case hex digits, the function in one.
std::string slot_text(const SlotAddress *slot)
{
    if (!slot)
        return "--:--.-";
    char text[16];
    snprintf(text, sizeof text, "%02x:%02x.%u", slot->bus, slot->devfn >> 3, slot->devfn & 7u);
    return text;
}

}  // namespace

void trace_open(uint32_t selector, bool ok, uint32_t error)
{
    char line[64];
    if (ok)
        snprintf(line, sizeof line, "open %lu -> ok\n", (unsigned long)selector);
    else
        snprintf(line, sizeof line, "open %lu -> fail %08lx\n", (unsigned long)selector,
                 (unsigned long)error);
    append_line(line);
}

void trace_read(const SlotAddress *slot, bool ok, const uint8_t *config)
{
    std::string line = "read " + slot_text(slot);
    if (ok) {
        char ids[32];
        snprintf(ids, sizeof ids, " -> ok %04x:%04x\n", header_u16(config, VENDOR_ID_OFFSET),
                 header_u16(config, DEVICE_ID_OFFSET));
        line += ids;
    } else {
        line += " -> fail\n";
    }
    append_line(line);
}

void trace_status(bool ok) { append_line(ok ? "status -> ok\n" : "status -> fail\n"); }

void trace_write(const SlotAddress *slot, uint32_t offset, uint32_t count, const uint8_t *data,
                 uint32_t written)
{
    char piece[48];
    snprintf(piece, sizeof piece, " 0x%02lx %lu", (unsigned long)offset, (unsigned long)count);
    std::string line = "write " + slot_text(slot) + piece;
    // No call can use more than a whole configuration space.
    for (uint32_t i = 0; data && i < count && i < CONFIG_SPACE_SIZE; i++) {
        snprintf(piece, sizeof piece, " %02x", data[i]);
        line += piece;
    }
    snprintf(piece, sizeof piece, " -> %lu\n", (unsigned long)written);
    append_line(line + piece);
}

void trace_close(void) { append_line("close\n"); }
