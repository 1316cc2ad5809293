// Prints bus files as the stand-in reads them, in the form `lspci -F FILE -D
// -xxxx` prints them, for lspci_differential.sh; and writes into each one it
// reads, as sim_write does, printing what the written file must read as.
//
//   bus_file_dump DIR COUNT      (reads DIR/0.bus to DIR/COUNT-1.bus)
//
// For file N: "== N", each function's address and the bytes lspci shows of
// it (64, 128 for a CardBus bridge, 256 or 4096, as far as its rows reach;
// below 64 bytes lspci's warning instead), then "status 0"; or the refusal
// and "status 1". After a file read with functions: DIR/N.written and
// "== N written", the same listing with the bytes written.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "bus_file_update.h"

namespace {

struct Space {
    uint8_t bytes[DUMP_SPACE_SIZE];
    size_t given;  // up to the last byte a row gives
};

void read_space(const BusFile &bus, const BusFunction &function, Space &space)
{
    memset(space.bytes, 0xFF, sizeof space.bytes);
    space.given = 0;
    BlockLine line;
    for (size_t pos = block_start(bus, function); next_block_line(bus, &pos, &line);)
        for (size_t i = 0; line.is_row && i < line.row.count; i++) {
            space.bytes[line.row.offset + i] = row_byte(line.text, line.row, i);
            space.given = std::max(space.given, line.row.offset + i + 1);
        }
}

void print_bus(const BusFile &bus, const std::vector<Space> &spaces)
{
    for (size_t f = 0; f < spaces.size(); f++) {
        const BusFunction &function = bus.functions[f];
        const Space &space = spaces[f];
        printf("%04x:%02x:%02x.%u\n", function.domain, function.bus, function.slot, function.function);
        size_t given = space.given, shown = given >= DUMP_SPACE_SIZE ? DUMP_SPACE_SIZE
                                            : given >= 256           ? 256
                                            : given >= 128 && (space.bytes[0x0e] & 0x7f) == 2 ? 128
                                            : given >= 64                                     ? 64
                                                                                              : 0;
        if (shown == 0)
            printf("WARNING: Cannot show hex-dump of the config space\n");
        for (size_t row = 0; row < shown; row += 16) {
            printf("%02zx:", row);
            for (size_t i = row; i < row + 16; i++)
                printf(" %02x", space.bytes[i]);
            printf("\n");
        }
    }
    printf("status 0\n");
}

std::vector<Space> read_spaces(const BusFile &bus)
{
    std::vector<Space> spaces(bus.functions.size());
    for (size_t f = 0; f < spaces.size(); f++)
        read_space(bus, bus.functions[f], spaces[f]);
    return spaces;
}

// Writes a few bytes, chosen by n, into one function, through the calls
// sim_write makes; the rows the write adds may let lspci show more.
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
    read_space(again, again.functions[chosen], now);
    spaces[chosen].given = now.given;
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
        std::vector<Space> spaces = read_spaces(bus);
        print_bus(bus, spaces);
        if (!spaces.empty())
            write_some(bus, spaces, n, path);
    }
    return 0;
}
