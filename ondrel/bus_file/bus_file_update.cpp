// Changes a function's bytes and the lines that hold them, leaving every
// other line of the file exactly as it was read.
#include <stdio.h>

#include "bus_file_update.h"

namespace {

// A data row as lspci prints it: two-digit lower-case offset and bytes.
std::string row_text(const DataRow &row)
{
    char piece[16];
    snprintf(piece, sizeof piece, "%02x:", row.offset);
    std::string text = piece;
    for (uint8_t b : row.bytes) {
        snprintf(piece, sizeof piece, " %02x", b);
        text += piece;
    }
    return text;
}

bool row_holds(const DataRow &row, unsigned offset)
{
    return offset >= row.offset && offset < row.offset + row.bytes.size();
}

bool offset_in_file(const BusFunction &function, unsigned offset)
{
    for (const DataRow &row : function.rows)
        if (row_holds(row, offset))
            return true;
    return false;
}

// Makes room for a line before index at; everything from there moves down.
void insert_line(BusFile &bus, size_t at, const std::string &text)
{
    BusLine line = { text, "" };
    BusLine &before = bus.lines[at - 1];
    if (before.end.empty()) {
        // The new line becomes the last one and keeps the file's missing newline.
        before.end = bus.lines[0].end.empty() ? "\n" : bus.lines[0].end;
    } else {
        line.end = before.end;
    }
    bus.lines.insert(bus.lines.begin() + (long)at, line);
    for (BusFunction &f : bus.functions) {
        if (f.header_line >= at)
            f.header_line++;
        for (DataRow &row : f.rows)
            if (row.line >= at)
                row.line++;
    }
}

// A 16-byte row at an aligned offset, holding what the function reads there
// now, placed among the function's rows in offset order.
void add_row(BusFile &bus, BusFunction &function, unsigned offset)
{
    DataRow row = { 0, offset, {} };
    for (unsigned i = 0; i < 16; i++)
        row.bytes.push_back(function.config[offset + i]);

    size_t index = 0;
    while (index < function.rows.size() && function.rows[index].offset < offset)
        index++;
    if (index < function.rows.size())
        row.line = function.rows[index].line;
    else
        row.line = (function.rows.empty() ? function.header_line : function.rows.back().line) + 1;
    insert_line(bus, row.line, row_text(row));
    // insert_line moved the rows at and after the new line, not this one.
    function.rows.insert(function.rows.begin() + (long)index, row);
}

}  // namespace

void write_function_bytes(BusFile &bus, BusFunction &function, unsigned offset, const uint8_t *data,
                          unsigned count)
{
    for (unsigned i = 0; i < count; i++)
        if (!offset_in_file(function, offset + i))
            add_row(bus, function, (offset + i) & ~15u);

    for (unsigned i = 0; i < count; i++) {
        function.config[offset + i] = data[i];
        for (DataRow &row : function.rows)
            if (row_holds(row, offset + i))
                row.bytes[offset + i - row.offset] = data[i];
    }
    for (DataRow &row : function.rows)
        for (unsigned i = 0; i < count; i++)
            if (row_holds(row, offset + i)) {
                bus.lines[row.line].text = row_text(row);
                break;
            }
}

std::string bus_file_bytes(const BusFile &bus)
{
    std::string bytes;
    for (const BusLine &line : bus.lines)
        bytes += line.text + line.end;
    return bytes;
}
