// Reads and writes single lines of registry files, by the rules regedit
// imports them with: blanks are allowed around the parts, ';' starts a
// comment after the data, escapes are \\ \" \n \r (\0 ends nothing and is
// refused), any other escaped character stands for itself.
#include "reg_syntax.h"

#include <stdio.h>

#include "hex_digit.h"
#include "text_encoding.h"

const char *const registry_roots[REGISTRY_ROOT_COUNT] = {
    "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_USERS", "HKEY_CURRENT_CONFIG",
};

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

// One to eight hex digits at pos, as a number; pos moves past them.
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
        if (pos + 2 < line.size() && line[pos + 2] == ',' && hex_digit(line[pos]) >= 0 &&
            hex_digit(line[pos + 1]) >= 0) {  // the common case, "41,"
            value.data += (char)(hex_digit(line[pos]) << 4 | hex_digit(line[pos + 1]));
            pos += 3;
            continue;
        }
        if (!read_number(line, pos, &byte) || byte > 0xFF)
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
        pos += 4;
        if (!read_number(line, pos, &value.hex_type) || line.substr(pos, 2) != "):")
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

bool read_key_line(std::string_view line, std::string &path, bool *deletion, std::string &what)
{
    size_t open = skip_blanks(line, 0) + 1;
    size_t close = line.rfind(']');
    if (close == std::string_view::npos || close < open)
        return fail(what, "key line without its closing ]");
    if (skip_blanks(line, close + 1) != line.size())
        return fail(what, "text after the key's closing ]");
    *deletion = line[open] == '-';
    path = std::string(line.substr(open + *deletion, close - open - *deletion));
    size_t slash = path.find('\\');
    std::string root = folded(path.substr(0, slash));
    bool known = false;
    for (const char *name : registry_roots)
        known = known || root == name;
    if (!known) {
        what = "unknown root key " + path.substr(0, slash);
        return false;
    }
    if (*deletion && slash == std::string::npos)
        return fail(what, "deletion of a whole root key");
    for (size_t start = slash; start != std::string::npos; start = path.find('\\', start + 1))
        if (start + 1 == path.size() || path[start + 1] == '\\')
            return fail(what, "empty key name in a key path");
    return true;
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
