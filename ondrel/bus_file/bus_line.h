// One line of a bus file: where it lies in the file's text and what it
// says. The reading of the whole file and the rewriting of a function's rows
// both go through here, so that they agree on every line.
#ifndef ONDREL_BUS_LINE_H
#define ONDREL_BUS_LINE_H

#include <stdint.h>

#include <string>
#include <string_view>

// A line of the text: its text is [start, text_end), its line end
// [text_end, end): "\n", "\r\n", or nothing on a last line that has none.
struct LineSpan {
    size_t start, text_end, end;
};

// The line that starts at pos, which is below text.size().
LineSpan line_at(const std::string &text, size_t pos);

// As a header gives it: bus and slot two hex digits each, the function one
// decimal digit; a slot past 1f and a function past 7 are read, as lspci
// reads them, though no bus has them.
struct FunctionAddress {
    unsigned bus, slot, function;
};

// One "OO: b0 b1 ..." line: the offset and the bytes, which stay in the
// line's text: byte i's two digits start at first + 3 * i.
struct DataRow {
    uint32_t offset;
    size_t count, first;
};

enum LineKind { BLANK_LINE, COMMENT_LINE, DIRECTIVE_LINE, HEADER_LINE, ROW_LINE, BAD_ROW_LINE, OTHER_LINE };

// What a line says; the fields past kind hold only for the kinds named.
struct LineMeaning {
    LineKind kind;
    size_t directive;         // DIRECTIVE_LINE: where its words start, after "sim:"
    unsigned domain;          // HEADER_LINE
    FunctionAddress address;  // HEADER_LINE
    DataRow row;              // ROW_LINE
};

// A line's text, without its line end, read by lspci's rules:
// - blank: empty (a line of blanks is other text);
// - a comment, or a "# sim:" directive;
// - a header: "BB:SS.F", "DDDD:BB:SS.F" or "DDDDD:BB:SS.F", then a blank;
// - a data row: 2 to 8 hex digits, ": ", then two-digit bytes, each
//   followed by one blank or the end; a line that starts like a row but
//   goes on otherwise is a bad row;
// - anything else is other text.
LineMeaning read_line(std::string_view text);

// Byte i of a data row read from text.
uint8_t row_byte(std::string_view text, const DataRow &row, size_t i);

// Hex digits from pos on: how many (at most max_digits + 1, so that a caller
// can tell "too long"), with their value in *value.
size_t read_hex(std::string_view text, size_t pos, size_t max_digits, uint32_t *value);

// "BB:SS.F" at pos: the digits' shape only.
bool read_slot_text(std::string_view text, size_t pos, FunctionAddress *address);

// A slot and function that a PCI bus has.
bool slot_in_range(const FunctionAddress &address);

#endif
