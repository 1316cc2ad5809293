// One line of a bus file: its bounds in the text and its kind, read in the
// order lspci's own reader gives them.
#include "bus_line.h"
#include "hex_digit.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool ends_word(std::string_view text, size_t pos) { return pos == text.size() || is_blank(text[pos]); }

bool read_header(std::string_view text, unsigned *domain, FunctionAddress *address)
{
    if (read_slot_text(text, 0, address) && ends_word(text, 7)) {
        *domain = 0;
        return true;
    }
    uint32_t value;
    size_t digits = read_hex(text, 0, 8, &value);
    if (digits == 0 || digits > 8 || digits >= text.size() || text[digits] != ':')
        return false;
    if (!read_slot_text(text, digits + 1, address) || !ends_word(text, digits + 8))
        return false;
    *domain = value;
    return true;
}

// The bytes after the offset's colon: up to 16, two hex digits each, every
// one after a blank.
bool read_row_bytes(std::string_view text, size_t pos, DataRow *row)
{
    row->count = 0;
    for (;;) {
        size_t start = pos;
        while (pos < text.size() && is_blank(text[pos]))
            pos++;
        if (pos == text.size())
            return true;
        if (pos == start || row->count == 16 || pos + 2 > text.size() || hex_digit(text[pos]) < 0 ||
            hex_digit(text[pos + 1]) < 0 || !ends_word(text, pos + 2))
            return false;
        row->bytes[row->count++] = (uint8_t)(hex_digit(text[pos]) << 4 | hex_digit(text[pos + 1]));
        pos += 2;
    }
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
    if (text.find_first_not_of(" \t") == std::string_view::npos) {
        meaning.kind = BLANK_LINE;
        return meaning;
    }
    if (text[0] == '#') {
        size_t pos = text.find_first_not_of(" \t", 1);
        meaning.kind = pos != std::string_view::npos && text.compare(pos, 4, "sim:") == 0 ? DIRECTIVE_LINE
                                                                                          : COMMENT_LINE;
        meaning.directive = pos + 4;
        return meaning;
    }
    if (read_header(text, &meaning.domain, &meaning.address)) {
        meaning.kind = HEADER_LINE;
        return meaning;
    }
    size_t digits = read_hex(text, 0, 8, &meaning.row.offset);
    if (digits > 0 && digits < text.size() && text[digits] == ':')
        meaning.kind =
            digits <= 8 && read_row_bytes(text, digits + 1, &meaning.row) ? ROW_LINE : BAD_ROW_LINE;
    else
        meaning.kind = OTHER_LINE;  // as lspci -v prints it
    return meaning;
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
