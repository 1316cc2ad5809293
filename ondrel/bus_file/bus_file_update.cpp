// Changes a function's bytes and the lines that hold them, leaving every
// other line of the file exactly as it was read: the function's header and
// block are written anew and put in place of the old ones, so that a change
// costs what the block takes, not the file.
#include <stdio.h>
#include <string.h>

#include "bus_file_update.h"

namespace {

// A byte's two lower-case hex digits, as lspci prints them.
void hex_byte(char *at, uint8_t byte)
{
    const char digits[] = "0123456789abcdef";
    at[0] = digits[byte >> 4];
    at[1] = digits[byte & 15];
}

// A data row as lspci prints it: two-digit lower-case offset and bytes.
std::string row_text(unsigned offset, const uint8_t *bytes, unsigned count)
{
    char piece[16];
    snprintf(piece, sizeof piece, "%02x:", offset);
    std::string text = piece;
    for (unsigned i = 0; i < count; i++) {
        snprintf(piece, sizeof piece, " %02x", bytes[i]);
        text += piece;
    }
    return text;
}

// The line end a new line takes when the file has none yet to copy: that of
// its first line.
std::string first_line_end(const std::string &text)
{
    size_t newline = text.find('\n');
    return newline != std::string::npos && newline > 0 && text[newline - 1] == '\r' ? "\r\n" : "\n";
}

// The rows the file lacked, 16 bytes each at aligned offsets, in offset
// order; each goes before the first row of the block at or past its offset,
// or after the block's last row.
struct AddedRows {
    unsigned offsets[CONFIG_SPACE_SIZE / 16];
    unsigned count, next;
    const uint8_t *config;  // the bytes they show
    std::string new_end;    // for a line added after a last line without newline
};

// Appends the added rows up to offset limit, each with the line end of the
// line before it. After a last line without newline, that line gains one
// and the last row added goes without.
void add_rows(std::string &out, AddedRows &added, unsigned limit)
{
    if (added.next == added.count || added.offsets[added.next] > limit)
        return;
    size_t n = out.size();
    std::string end = n >= 2 && out.compare(n - 2, 2, "\r\n") == 0 ? "\r\n"
                      : n >= 1 && out[n - 1] == '\n'               ? "\n"
                                                                   : "";
    bool at_file_end = end.empty();
    if (at_file_end)
        out += end = added.new_end;
    for (; added.next < added.count && added.offsets[added.next] <= limit; added.next++) {
        unsigned offset = added.offsets[added.next];
        out += row_text(offset, added.config + offset, 16);
        if (!at_file_end || added.next + 1 < added.count)
            out += end;
    }
}

}  // namespace

void write_function_bytes(BusFile &bus, BusFunction &function, unsigned offset, const uint8_t *data,
                          unsigned count)
{
    const std::string &text = bus.text;
    const size_t start = block_start(bus, function);
    uint8_t config[CONFIG_SPACE_SIZE];
    bool held[CONFIG_SPACE_SIZE] = {};
    memset(config, 0xFF, sizeof config);
    size_t last_row_end = start;
    BlockLine line;
    for (size_t pos = start; next_block_line(bus, &pos, &line);) {
        if (!line.is_row)
            continue;
        for (size_t i = 0; i < line.row.count && line.row.offset + i < CONFIG_SPACE_SIZE; i++) {
            config[line.row.offset + i] = row_byte(line.text, line.row, i);
            held[line.row.offset + i] = true;
        }
        last_row_end = line.span.end;
    }

    AddedRows added = { {}, 0, 0, config, first_line_end(text) };
    for (unsigned i = 0; i < count; i++) {
        unsigned aligned = (offset + i) & ~15u;
        if (!held[offset + i]) {
            added.offsets[added.count++] = aligned;
            memset(held + aligned, true, 16);
        }
    }
    memcpy(config + offset, data, count);

    // The header comes along, so that a row added after it sees its line end.
    std::string out(text, function.header, start - function.header);
    if (last_row_end == start)
        add_rows(out, added, CONFIG_SPACE_SIZE);
    size_t pos = start;
    while (next_block_line(bus, &pos, &line)) {
        const DataRow &row = line.row;
        bool written = line.is_row && row.offset < offset + count && row.offset + row.count > offset;
        if (line.is_row)
            add_rows(out, added, row.offset);
        // Of a row written only the digits of the bytes written change: it
        // keeps its offset's digits, its blanks and its other bytes.
        size_t at = out.size() + row.first;
        out.append(text, line.span.start, line.span.end - line.span.start);
        for (size_t i = 0; written && i < row.count; i++, at += 3)
            if (row.offset + i >= offset && row.offset + i < offset + count)
                hex_byte(&out[at], data[row.offset + i - offset]);
        if (line.is_row && line.span.end == last_row_end)
            add_rows(out, added, CONFIG_SPACE_SIZE);
    }

    // The functions after this one move by what its block gained.
    size_t header = function.header, old_size = pos - header;
    bus.text.replace(header, old_size, out);
    for (BusFunction &f : bus.functions)
        if (f.header > header)
            f.header += out.size() - old_size;
}

const std::string &bus_file_bytes(const BusFile &bus) { return bus.text; }
