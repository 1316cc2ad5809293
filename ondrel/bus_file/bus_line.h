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

struct FunctionAddress {
    unsigned bus, slot, function;
};

// One "OO: b0 b1 ..." line: the offset and up to 16 bytes.
struct DataRow {
    uint32_t offset;
    unsigned count;
    uint8_t bytes[16];
};

enum LineKind { BLANK_LINE, COMMENT_LINE, DIRECTIVE_LINE, HEADER_LINE, ROW_LINE, BAD_ROW_LINE, OTHER_LINE };

// What a line says; the fields past kind hold only for the kinds named.
struct LineMeaning {
    LineKind kind;
    size_t directive;         // DIRECTIVE_LINE: where its words start, after "sim:"
    unsigned domain;          // HEADER_LINE
    FunctionAddress address;  // HEADER_LINE: its shape only, not yet checked by slot_in_range
    DataRow row;              // ROW_LINE
};

// A line's text, without its line end: blank, a comment or "# sim:"
// directive, a header "BB:SS.F text" or "DDDD:BB:SS.F text", a data row
// (or a line shaped like one whose bytes are no hex bytes), or other text.
LineMeaning read_line(std::string_view text);

// Hex digits from pos on: how many (at most max_digits + 1, so that a caller
// can tell "too long"), with their value in *value.
size_t read_hex(std::string_view text, size_t pos, size_t max_digits, uint32_t *value);

// "BB:SS.F" at pos: the digits' shape only.
bool read_slot_text(std::string_view text, size_t pos, FunctionAddress *address);

// A slot and function that a PCI bus has.
bool slot_in_range(const FunctionAddress &address);

#endif
