// Reads and writes single lines of registry files, by the rules Wine's
// reg import reads them with: blanks (space, tab) around the parts, ';'
// starts a comment after the data, escapes are \\ \" \n \r (\0 spoils the
// line), any other escaped character stands for itself; hex bytes and types
// are numbers as Windows' C library reads them.
#include "reg_syntax.h"

#include <stdio.h>

#include <algorithm>

#include "c_number.h"
#include "hex_digit.h"
#include "text_encoding.h"

// clang-format off
const RegistryRootName registry_roots[REGISTRY_ROOT_COUNT] = {
    { "HKEY_LOCAL_MACHINE",  "HKLM" },
    { "HKEY_CLASSES_ROOT",   "HKCR" },
    { "HKEY_CURRENT_USER",   "HKCU" },
    { "HKEY_USERS",          "HKU"  },
    { "HKEY_CURRENT_CONFIG", "HKCC" },
};
// clang-format on

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

size_t skip_blanks(std::string_view line, size_t pos)
{
    while (pos < line.size() && is_blank(line[pos]))
        pos++;
    return pos;
}

// Nothing but blanks, or a comment, from pos on.
bool ends_here(std::string_view line, size_t pos)
{
    pos = skip_blanks(line, pos);
    return pos == line.size() || line[pos] == ';';
}

bool fail(std::string &what, const char *words)
{
    what = words;
    return false;
}

KeyLine key_fault(std::string &what, const std::string &words, KeyLine kind)
{
    what = words;
    return kind;
}

// A quoted text whose opening quote is at pos; pos ends after the closing one.
bool read_quoted(std::string_view line, size_t &pos, std::string &out, std::string &what)
{
    out.clear();
    for (pos++; pos < line.size(); pos++) {
        char c = line[pos];
        if (c == '"') {
            pos++;
            return true;
        }
        if (c == '\\') {
            if (++pos == line.size())
                break;
            c = line[pos];
            if (c == '0')
                return fail(what, "\\0 in a quoted text");
            c = c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        }
        out += c;
    }
    return fail(what, "quoted text without its closing quote");
}

// One to eight hex digits at pos, as dword: takes them; pos moves past them.
bool read_number(std::string_view line, size_t &pos, uint32_t *value)
{
    size_t start = pos;
    *value = 0;
    while (pos < line.size() && hex_digit(line[pos]) >= 0 && pos - start < 9)
        *value = *value << 4 | (uint32_t)hex_digit(line[pos++]);
    return pos > start && pos - start <= 8;
}

// Comma-separated bytes from pos, appended; a backslash after the last comma
// says the list goes on in the next line.
bool read_hex_list(std::string_view line, size_t pos, ValueLine &value, std::string &what)
{
    value.continues = false;
    for (;;) {
        pos = skip_blanks(line, pos);
        if (ends_here(line, pos))
            return true;
        if (line[pos] == '\\') {
            value.continues = true;
            return ends_here(line, pos + 1) || fail(what, "text after a hex list's backslash");
        }
        uint32_t byte;
        bool too_large;
        if (pos + 2 < line.size() && line[pos + 2] == ',' && hex_digit(line[pos]) >= 0 &&
            hex_digit(line[pos + 1]) >= 0) {  // the common case, "41,"
            value.data += (char)(hex_digit(line[pos]) << 4 | hex_digit(line[pos + 1]));
            pos += 3;
            continue;
        }
        if (!read_c_number(line, pos, true, &byte, &too_large) || byte > 0xFF)
            return fail(what, "hex list with something other than bytes");
        value.data += (char)byte;
        if (pos < line.size() && line[pos] == ',')
            pos++;
        else
            return ends_here(line, pos) || fail(what, "hex bytes not separated by commas");
    }
}

bool read_data(std::string_view line, size_t pos, ValueLine &value, std::string &what)
{
    std::string_view rest = line.substr(pos);
    value.data.clear();
    value.continues = false;
    if (rest.substr(0, 1) == "-") {
        value.type = DATA_DELETION;
        return ends_here(line, pos + 1) || fail(what, "text after a value's deletion");
    }
    if (rest.substr(0, 1) == "\"") {
        value.type = DATA_STRING;
        return read_quoted(line, pos, value.data, what) &&
               (ends_here(line, pos) || fail(what, "text after a quoted text"));
    }
    uint32_t number;
    if (rest.substr(0, 6) == "dword:") {
        value.type = DATA_DWORD;
        pos = skip_blanks(line, pos + 6);
        if (!read_number(line, pos, &number) || !ends_here(line, pos))
            return fail(what, "dword: not followed by one to eight hex digits");
        for (int i = 0; i < 4; i++)
            value.data += (char)(number >> 8 * i & 0xFF);
        return true;
    }
    value.type = DATA_HEX;
    value.hex_type = REG_BINARY_TYPE;
    if (rest.substr(0, 4) == "hex:")
        return read_hex_list(line, pos + 4, value, what);
    if (rest.substr(0, 4) == "hex(") {
        bool too_large = false;
        pos += 4;
        value.hex_type = 0;  // hex(): reads as type 0
        read_c_number(line, pos, false, &value.hex_type, &too_large);
        if (too_large || line.substr(pos, 2) != "):")
            return fail(what, "hex( not followed by a hex type and ):");
        return read_hex_list(line, pos + 2, value, what);
    }
    return fail(what, "value data neither a string, dword:, hex: nor -");
}

}  // namespace

LineKind line_kind(std::string_view line)
{
    size_t pos = skip_blanks(line, 0);
    if (pos == line.size())
        return LINE_OTHER;
    if (line[pos] == '[')
        return LINE_KEY;
    return line[pos] == '"' || line[pos] == '@' ? LINE_VALUE : LINE_OTHER;
}

KeyLine read_key_line(std::string_view line, std::string &path, bool *deletion, std::string &what)
{
    size_t open = skip_blanks(line, 0) + 1;
    size_t close = line.rfind(']');  // the last one; reg import reads nothing after it
    *deletion = false;
    if (close == std::string_view::npos || close < open)
        return key_fault(what, "key line without its closing ]", KEY_NOT_A_KEY);
    if (is_blank(line[open]))
        return key_fault(what, "key line with a blank after its [", KEY_NOT_A_KEY);
    *deletion = line[open] == '-';
    std::string_view inside = line.substr(open + *deletion, close - open - *deletion);
    size_t slash = std::min(inside.find('\\'), inside.size());
    std::string root = folded(inside.substr(0, slash));
    const char *full = nullptr;
    for (const RegistryRootName &name : registry_roots)
        if (root == name.full || root == name.abbreviation)
            full = name.full;
    if (!full)
        return key_fault(what, "unknown root key " + std::string(inside.substr(0, slash)), KEY_UNUSABLE);
    path = full;
    std::string_view rest = inside.substr(std::min(slash + 1, inside.size()));
    if (!rest.empty() && rest[0] == '\\')
        return key_fault(what, "two backslashes after the root key", KEY_UNUSABLE);
    for (size_t start = 0, end; start < rest.size(); start = end + 1) {
        end = std::min(rest.find('\\', start), rest.size());
        if (end == start)
            continue;  // repeated backslashes, and one at the end, are one
        if (utf16_units(rest.substr(start, end - start)) > 256)
            return key_fault(what, "key name longer than 256 characters", KEY_UNUSABLE);
        path.append("\\").append(rest.substr(start, end - start));
    }
    if (*deletion && path == full)
        return key_fault(what, "deletion of a whole root key", KEY_UNUSABLE);
    return KEY_READ;
}

bool read_value_line(std::string_view line, ValueLine &value, std::string &what)
{
    size_t pos = skip_blanks(line, 0);
    if (line[pos] == '@') {
        value.name.clear();
        pos++;
    } else if (!read_quoted(line, pos, value.name, what)) {
        return false;
    }
    pos = skip_blanks(line, pos);
    if (pos == line.size() || line[pos] != '=')
        return fail(what, "value without '='");
    value.data_at = skip_blanks(line, pos + 1);
    return read_data(line, value.data_at, value, what);
}

bool read_hex_continuation(std::string_view line, ValueLine &value, bool *skipped, std::string &what)
{
    size_t pos = skip_blanks(line, 0);
    *skipped = ends_here(line, pos);
    if (*skipped)
        return true;
    if (hex_digit(line[pos]) < 0)
        return fail(what, "hex list continued by a line without hex bytes");
    return read_hex_list(line, pos, value, what);
}

std::string quoted_text(const std::string &utf8)
{
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c == '\r' ? std::string("\\r") : std::string(1, c);
    }
    return out + '"';
}

std::string hex_data(uint32_t hex_type, const std::string &bytes)
{
    char piece[24];
    snprintf(piece, sizeof piece, hex_type == REG_BINARY_TYPE ? "hex:" : "hex(%x):", hex_type);
    std::string out = piece;
    for (size_t i = 0; i < bytes.size(); i++) {
        snprintf(piece, sizeof piece, i ? ",%02x" : "%02x", (unsigned char)bytes[i]);
        out += piece;
    }
    return out;
}
