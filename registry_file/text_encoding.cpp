// Conversions between UTF-16LE, code page 1252 and UTF-8, and case folding.
#include "text_encoding.h"

#include <stdint.h>
#include <string.h>

namespace {

// Code page 1252 from 0x80 to 0x9F; the rest of the page is Latin-1.
// A table, aligned by column.
// clang-format off
const uint16_t cp1252_high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on

// Writes c as UTF-8 at out; returns the end.
char *put_utf8(char *out, uint32_t c)
{
    if (c < 0x80) {
        *out++ = (char)c;
    } else if (c < 0x800) {
        *out++ = (char)(0xC0 | c >> 6);
        *out++ = (char)(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = (char)(0xE0 | c >> 12);
        *out++ = (char)(0x80 | (c >> 6 & 0x3F));
        *out++ = (char)(0x80 | (c & 0x3F));
    } else {
        *out++ = (char)(0xF0 | c >> 18);
        *out++ = (char)(0x80 | (c >> 12 & 0x3F));
        *out++ = (char)(0x80 | (c >> 6 & 0x3F));
        *out++ = (char)(0x80 | (c & 0x3F));
    }
    return out;
}

void append_utf8(std::string &out, uint32_t c)
{
    char bytes[4];
    out.append(bytes, (size_t)(put_utf8(bytes, c) - bytes));
}

// The character at pos, which moves past it. The text is our own UTF-8, so
// it is well formed; a stray byte is taken as the character of that value.
uint32_t next_char(std::string_view s, size_t &pos)
{
    unsigned char first = (unsigned char)s[pos++];
    int more = first >= 0xF0 ? 3 : first >= 0xE0 ? 2 : first >= 0xC0 ? 1 : 0;
    uint32_t c = more ? first & (0x3F >> more) : first;
    for (; more > 0 && pos < s.size() && ((unsigned char)s[pos] & 0xC0) == 0x80; more--)
        c = c << 6 | ((unsigned char)s[pos++] & 0x3F);
    return c;
}

// Appends the ASCII run at pos, the same in every one of these texts, in one
// piece; returns where it ends.
size_t copy_ascii(std::string &out, std::string_view text, size_t pos)
{
    size_t end = pos;
    while (end < text.size() && (unsigned char)text[end] < 0x80)
        end++;
    out.append(text.data() + pos, end - pos);
    return end;
}

// Upper case for the scripts registry names are written in: Latin, Greek,
// Cyrillic. Other characters match only themselves.
uint32_t fold_char(uint32_t c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c & ~1u;  // pairs: upper case even, lower case odd
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return c & 1 ? c : c - 1;  // pairs: upper case odd, lower case even
    if (c >= 0x3B1 && c <= 0x3C9)
        return c == 0x3C2 ? 0x3A3 : c - 0x20;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    return c;
}

}  // namespace

bool utf16le_to_utf8(const char *bytes, size_t size, std::string &utf8, size_t *bad_at, size_t spare)
{
    const unsigned char *in = (const unsigned char *)bytes;
    size_t needed = size / 2;  // exactly: a registry file can be large
    for (size_t i = 0; i + 1 < size; i += 2) {
        unsigned unit = in[i] | in[i + 1] << 8;
        needed += (unit >= 0x80) + (unit >= 0x800) - (unit >= 0xD800 && unit <= 0xDFFF);
    }
    utf8.clear();
    utf8.reserve(needed + spare);
    utf8.resize(needed);
    char *out = &utf8[0];
    size_t i = 0;
    for (; i + 1 < size; i += 2) {
        uint64_t four;  // the common case: four ASCII units at once
        while (i + 8 <= size && (memcpy(&four, in + i, 8), (four & 0xFF80FF80FF80FF80ull) == 0)) {
            out[0] = (char)in[i], out[1] = (char)in[i + 2], out[2] = (char)in[i + 4],
            out[3] = (char)in[i + 6];
            out += 4, i += 8;
        }
        if (i + 1 >= size)
            break;
        uint32_t unit = in[i] | in[i + 1] << 8;
        if (unit < 0x80) {
            *out++ = (char)unit;
            continue;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < size) {
            uint32_t low = in[i + 2] | in[i + 3] << 8;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out = put_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF)
            break;
        out = put_utf8(out, unit);
    }
    if (i < size) {
        *bad_at = i;
        return false;
    }
    return true;
}

std::string utf8_to_utf16le(std::string_view utf8)
{
    std::string out;
    append_utf16le(out, utf8);
    return out;
}

void append_utf16le(std::string &out, std::string_view utf8)
{
    size_t start = out.size();
    out.resize(start + 2 * utf8.size());  // never less than needed
    char *p = &out[start];
    for (size_t pos = 0; pos < utf8.size();) {
        uint32_t c = (unsigned char)utf8[pos];
        if (c < 0x80)
            pos++;  // the common case, without decoding
        else
            c = next_char(utf8, pos);
        if (c >= 0x10000) {
            c -= 0x10000;
            uint32_t high = 0xD800 + (c >> 10);
            *p++ = (char)(high & 0xFF);
            *p++ = (char)(high >> 8);
            c = 0xDC00 + (c & 0x3FF);
        }
        *p++ = (char)(c & 0xFF);
        *p++ = (char)(c >> 8);
    }
    out.resize((size_t)(p - out.data()));
}

std::string ansi_to_utf8(std::string_view ansi)
{
    std::string out;
    ansi_to_utf8(ansi, out, 0);
    return out;
}

void ansi_to_utf8(std::string_view ansi, std::string &out, size_t spare)
{
    size_t size = ansi.size() + spare;
    for (unsigned char b : ansi)
        size += b >= 0x80 ? (b >= 0xA0 || cp1252_high[b - 0x80] < 0x800 ? 1 : 2) : 0;
    out.clear();
    out.reserve(size);  // exactly: a registry file can be large
    for (size_t pos = copy_ascii(out, ansi, 0); pos < ansi.size(); pos = copy_ascii(out, ansi, pos + 1)) {
        unsigned char b = (unsigned char)ansi[pos];
        append_utf8(out, b < 0xA0 ? cp1252_high[b - 0x80] : b);
    }
}

std::string utf8_to_ansi(std::string_view utf8)
{
    std::string out;
    append_ansi(out, utf8);
    return out;
}

void append_ansi(std::string &out, std::string_view utf8)
{
    for (size_t pos = copy_ascii(out, utf8, 0); pos < utf8.size(); pos = copy_ascii(out, utf8, pos)) {
        uint32_t c = next_char(utf8, pos);
        char b = '?';
        if (c >= 0xA0 && c <= 0xFF) {
            b = (char)c;
        } else {
            for (int i = 0; i < 32; i++)
                if (cp1252_high[i] == c)
                    b = (char)(0x80 + i);
        }
        out += b;
    }
}

size_t utf16_units(std::string_view utf8)
{
    size_t units = 0;
    for (unsigned char b : utf8)
        units += (b & 0xC0) != 0x80 ? 1 + (b >= 0xF0) : 0;  // a character beyond the BMP takes two
    return units;
}

std::string folded(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        unsigned char b = (unsigned char)utf8[pos];
        if (b < 0x80) {  // the common case, without decoding
            out += (char)(b >= 'a' && b <= 'z' ? b - 0x20 : b);
            pos++;
        } else {
            append_utf8(out, fold_char(next_char(utf8, pos)));
        }
    }
    return out;
}
