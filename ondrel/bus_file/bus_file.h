// A bus file in memory: its text as it was read, and the functions and
// directives that text describes. The text format is the dump pciutils
// writes with lspci -xxx and reads with lspci -F. Only what the lines cannot
// give cheaply again is kept apart from the text, so that the memory a file
// takes follows its size and not its number of lines. Changes are in
// bus_file_update.h.
#ifndef ONDREL_BUS_FILE_H
#define ONDREL_BUS_FILE_H

#include <stdint.h>

#include <deque>
#include <string>

#include "bus_line.h"
#include "pci_config_space.h"

// The most bytes a bus file gives a function, as lspci -xxxx prints them;
// velmorix reads the first CONFIG_SPACE_SIZE.
enum { DUMP_SPACE_SIZE = 4096 };

struct BusFunction {
    uint32_t domain;
    uint8_t bus, slot, function;  // as the header gives them
    bool read_fails, write_ignored;
    uint32_t io_window;  // nonzero: register 2 decodes this many bytes and keeps its low bits
    size_t header;       // where its header line starts in the text
};

struct BusFile {
    std::string text;                   // the file's bytes as they now stand
    std::deque<BusFunction> functions;  // in address order; grows without copying, as lines are read
    bool has_open_error;
    uint32_t open_error;
    bool bios_absent;
};

struct BusFileFault {
    size_t line;  // 1-based
    std::string what;
};

// Fills bus from the file's bytes; false with the first fault found: a
// data row in a function that is not hex bytes or reaches past
// DUMP_SPACE_SIZE, a line holding a NUL byte, a bad directive, a function
// given twice.
bool parse_bus_file(const std::string &bytes, BusFile &bus, BusFileFault &fault);

// The function at 0000:bus:devfn, or null.
BusFunction *find_function(BusFile &bus, unsigned bus_number, unsigned devfn);

// A line of a function's block, the lines after its header.
struct BlockLine {
    LineSpan span;
    std::string_view text;  // without its line end
    bool is_row;            // a data row, which in a file read ends within DUMP_SPACE_SIZE
    DataRow row;            // when is_row
};

// Where the function's block starts: the line after its header.
size_t block_start(const BusFile &bus, const BusFunction &function);

// The block's line at *pos, which then moves past it; false where the block
// ends (a blank line, the next header, the end of the text).
bool next_block_line(const BusFile &bus, size_t *pos, BlockLine *line);

// The function's first size bytes (at most DUMP_SPACE_SIZE): its data rows
// in file order, 0xFF where none gives a byte. Returns how far the rows
// reach: one past the last byte any of them gives, 0 for none.
size_t function_bytes(const BusFile &bus, const BusFunction &function, uint8_t *bytes, size_t size);

// The function's configuration space, as function_bytes gives it.
void function_config(const BusFile &bus, const BusFunction &function, uint8_t config[CONFIG_SPACE_SIZE]);

#endif
