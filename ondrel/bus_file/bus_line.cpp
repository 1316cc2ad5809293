// One line of a bus file: its bounds in the text and its kind, read in the
// order lspci's own reader gives them.
#include <algorithm>

#include "bus_line.h"
#include "hex_digit.h"

namespace {

bool is_hex(char c) { return hex_digit(c) >= 0; }

// "BB:SS.F" then a blank, after "DDDD:" or "DDDDD:" or nothing.
bool read_header(std::string_view text, unsigned *domain, FunctionAddress *address)
{
    uint32_t value;
    size_t digits = read_hex(text, 0, 5, &value);
    size_t at = (digits == 4 || digits == 5) && digits < text.size() && text[digits] == ':' ? digits + 1 : 0;
    *domain = at > 0 ? value : 0;
    return read_slot_text(text, at, address) && at + 7 < text.size() && text[at + 7] == ' ';
}

// The bytes from pos on: two hex digits each, then one blank or the end.
// False when something else follows them.
bool read_row_bytes(std::string_view text, size_t pos, DataRow *row)
{
    row->first = pos;
    row->count = 0;
    while (pos + 2 <= text.size() && is_hex(text[pos]) && is_hex(text[pos + 1]) &&
           (pos + 2 == text.size() || text[pos + 2] == ' ')) {
        row->count++;
        pos = std::min(pos + 3, text.size());
    }
    return pos == text.size();
}

}  // namespace

LineSpan line_at(const std::string &text, size_t pos)
{
    size_t newline = text.find('\n', pos);
    if (newline == std::string::npos)
        return { pos, text.size(), text.size() };
    size_t text_end = newline > pos && text[newline - 1] == '\r' ? newline - 1 : newline;
    return { pos, text_end, newline + 1 };
}

LineMeaning read_line(std::string_view text)
{
    LineMeaning meaning = {};
    uint32_t offset;
    size_t digits;
    if (text.empty()) {
        meaning.kind = BLANK_LINE;
    } else if (text[0] == '#') {
        size_t pos = text.find_first_not_of(" \t", 1);
        meaning.kind = pos != std::string_view::npos && text.compare(pos, 4, "sim:") == 0 ? DIRECTIVE_LINE
                                                                                          : COMMENT_LINE;
        meaning.directive = pos + 4;
    } else if (read_header(text, &meaning.domain, &meaning.address)) {
        meaning.kind = HEADER_LINE;
    } else if ((digits = read_hex(text, 0, 8, &offset)) >= 2 && digits <= 8 &&
               text.compare(digits, 2, ": ") == 0) {
        meaning.row.offset = offset;
        meaning.kind = read_row_bytes(text, digits + 2, &meaning.row) ? ROW_LINE : BAD_ROW_LINE;
    } else {
        meaning.kind = OTHER_LINE;  // as lspci -v prints it, a warning, a split row "0: 00 ..."
    }
    return meaning;
}

uint8_t row_byte(std::string_view text, const DataRow &row, size_t i)
{
    size_t at = row.first + 3 * i;
    return (uint8_t)(hex_digit(text[at]) << 4 | hex_digit(text[at + 1]));
}

size_t read_hex(std::string_view text, size_t pos, size_t max_digits, uint32_t *value)
{
    size_t n = 0;
    uint32_t v = 0;
    while (pos + n < text.size() && hex_digit(text[pos + n]) >= 0 && n <= max_digits) {
        v = v << 4 | (uint32_t)hex_digit(text[pos + n]);
        n++;
    }
    *value = v;
    return n;
}

bool read_slot_text(std::string_view text, size_t pos, FunctionAddress *address)
{
    if (text.size() < pos + 7)
        return false;
    const char *p = text.data() + pos;
    if (hex_digit(p[0]) < 0 || hex_digit(p[1]) < 0 || p[2] != ':' || hex_digit(p[3]) < 0 ||
        hex_digit(p[4]) < 0 || p[5] != '.' || p[6] < '0' || p[6] > '9')
        return false;
    address->bus = (unsigned)(hex_digit(p[0]) << 4 | hex_digit(p[1]));
    address->slot = (unsigned)(hex_digit(p[3]) << 4 | hex_digit(p[4]));
    address->function = (unsigned)(p[6] - '0');
    return true;
}

bool slot_in_range(const FunctionAddress &address) { return address.slot < 32 && address.function < 8; }
