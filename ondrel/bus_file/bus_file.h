// A bus file in memory, read from its text: every line as it was read, and
// the functions and directives those lines describe. The text format is the
// dump pciutils writes with lspci -xxx and reads with lspci -F. Changes are
// in bus_file_update.h.
#ifndef ONDREL_BUS_FILE_H
#define ONDREL_BUS_FILE_H

#include <stdint.h>
#include <string>
#include <vector>

#include "pci_config_space.h"

struct BusLine {
    std::string text;  // without its line end
    std::string end;   // "\n", "\r\n", or "" on a last line that has none
};

// One "OO: b0 b1 ..." line of a function; rows past the configuration space
// are kept only as text.
struct DataRow {
    size_t line;
    unsigned offset;
    std::vector<uint8_t> bytes;
};

struct BusFunction {
    unsigned domain, bus, devfn;
    size_t header_line;
    std::vector<DataRow> rows;  // in file order
    uint8_t config[CONFIG_SPACE_SIZE];
    bool read_fails, write_ignored;
};

struct BusFile {
    std::vector<BusLine> lines;
    std::vector<BusFunction> functions;
    bool has_open_error;
    uint32_t open_error;
    bool bios_absent;
};

struct BusFileFault {
    size_t line;  // 1-based
    std::string what;
};

// Fills bus from the file's bytes; false with the first fault found.
bool parse_bus_file(const std::string &bytes, BusFile &bus, BusFileFault &fault);

// The function at 0000:bus:devfn, or null.
BusFunction *find_function(BusFile &bus, unsigned bus_number, unsigned devfn);

#endif
