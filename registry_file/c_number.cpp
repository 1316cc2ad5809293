// Numbers as Windows' C library reads them: how reg import reads hex bytes
// and the N of hex(N):.
#include "c_number.h"

#include <algorithm>

#include "hex_digit.h"

namespace {

// The length of the white space character at pos, or 0: Unicode's white
// space, which Windows' wide C library skips before a number.
size_t space_at(std::string_view s, size_t pos)
{
    unsigned char c = (unsigned char)s[pos];
    if (c == ' ' || (c >= '\t' && c <= '\r'))
        return 1;
    std::string_view two = s.substr(pos, 2), three = s.substr(pos, 3);
    if (two == "\xC2\x85" || two == "\xC2\xA0")
        return 2;
    if (three == "\xE1\x9A\x80" || three == "\xE2\x81\x9F" || three == "\xE3\x80\x80")
        return 3;  // U+1680, U+205F, U+3000
    unsigned char last = three.size() == 3 ? (unsigned char)three[2] : 0;
    if (two == "\xE2\x80" && (last <= 0x8A || last == 0xA8 || last == 0xA9 || last == 0xAF))
        return 3;  // U+2000 to U+200A, U+2028, U+2029, U+202F
    return 0;
}

}  // namespace

bool read_c_number(std::string_view line, size_t &pos, bool allow_0x, uint32_t *value, bool *too_large)
{
    size_t at = pos;
    for (size_t n; at < line.size() && (n = space_at(line, at)) != 0;)
        at += n;
    bool negative = at < line.size() && line[at] == '-';
    at += at < line.size() && (line[at] == '-' || line[at] == '+');
    if (allow_0x && (line.substr(at, 2) == "0x" || line.substr(at, 2) == "0X") && at + 2 < line.size() &&
        hex_digit(line[at + 2]) >= 0)
        at += 2;
    size_t first = at;
    uint64_t magnitude = 0;
    for (; at < line.size() && hex_digit(line[at]) >= 0; at++)
        magnitude = std::min<uint64_t>(magnitude << 4 | (uint64_t)hex_digit(line[at]), 1ull << 32);
    if (at == first)
        return false;
    *too_large = !negative && magnitude > 0xFFFFFFFF;
    if (magnitude > 0xFFFFFFFF)
        *value = negative ? 1 : 0xFFFFFFFF;
    else
        *value = negative ? (uint32_t)(0 - magnitude) : (uint32_t)magnitude;
    pos = at;
    return true;
}
