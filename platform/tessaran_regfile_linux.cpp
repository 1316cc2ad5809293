// REGEDIT4 text as regedit writes and imports it: a first line REGEDIT4,
// then one block per key, [ROOT\path] followed by its values, "Name"="Data"
// or @="Data" with backslash and double quote escaped. Values that are not
// plain strings (dword:, hex:, hex(N):) are kept as they were written.
#include "tessaran_regfile_linux.h"

#include <ctype.h>
#include <stdio.h>

static const char *const root_names[] = {
    "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
    "HKEY_USERS",         "HKEY_CURRENT_CONFIG",
};

bool same_name(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (tolower((unsigned char)a[i]) != tolower((unsigned char)b[i]))
            return false;
    return true;
}

static bool same_path(const std::vector<std::string> &a, const std::vector<std::string> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (!same_name(a[i], b[i]))
            return false;
    return true;
}

static bool is_below_or_same(const std::vector<std::string> &path, const std::vector<std::string> &key)
{
    if (path.size() < key.size())
        return false;
    for (size_t i = 0; i < key.size(); i++)
        if (!same_name(path[i], key[i]))
            return false;
    return true;
}

static std::string trim_right(const std::string &s)
{
    size_t end = s.find_last_not_of(" \t");
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

static std::string trim_left(const std::string &s)
{
    size_t start = s.find_first_not_of(" \t");
    return start == std::string::npos ? std::string() : s.substr(start);
}

static int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = (char)tolower((unsigned char)c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// hex:41,42,\ <newline> 43 (continuations removed) into its bytes.
static bool decode_hex_list(const std::string &list, std::string &bytes)
{
    std::string digits;
    for (size_t i = 0; i < list.size(); i++) {
        char c = list[i];
        if (c == '\\') {
            // Blanks may follow the backslash, as continues() allows.
            size_t after = list.find_first_not_of(" \t", i + 1);
            if (after == std::string::npos || list[after] == '\n')
                continue;
        }
        if (c != ' ' && c != '\t' && c != '\n')
            digits += c;
    }
    if (!digits.empty() && digits.back() == ',')
        digits.pop_back();
    if (digits.empty())
        return true;
    size_t start = 0;
    for (;;) {
        size_t comma = digits.find(',', start);
        std::string pair = digits.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (pair.size() != 2 || hex_digit(pair[0]) < 0 || hex_digit(pair[1]) < 0)
            return false;
        bytes += (char)(hex_digit(pair[0]) << 4 | hex_digit(pair[1]));
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

// The bytes of a dword:, hex: or hex(N): value; false when it is none of them.
static bool decode_raw(const std::string &raw, std::string &bytes)
{
    bytes.clear();
    if (raw.compare(0, 6, "dword:") == 0) {
        std::string digits = trim_right(raw.substr(6));
        if (digits.empty() || digits.size() > 8)
            return false;
        unsigned long value = 0;
        for (char c : digits) {
            if (hex_digit(c) < 0)
                return false;
            value = value << 4 | (unsigned long)hex_digit(c);
        }
        for (int i = 0; i < 4; i++)
            bytes += (char)(value >> (8 * i) & 0xFF);
        return true;
    }
    if (raw.compare(0, 4, "hex:") == 0)
        return decode_hex_list(raw.substr(4), bytes);
    if (raw.compare(0, 4, "hex(") == 0) {
        size_t close = raw.find("):");
        if (close == std::string::npos || close == 4 || close > 12)
            return false;
        for (size_t i = 4; i < close; i++)
            if (hex_digit(raw[i]) < 0)
                return false;
        return decode_hex_list(raw.substr(close + 2), bytes);
    }
    return false;
}

// A quoted text at text[pos] ('"' there), unescaped; pos ends after the closing quote.
static bool read_quoted(const std::string &text, size_t &pos, std::string &out)
{
    out.clear();
    for (pos++; pos < text.size(); pos++) {
        char c = text[pos];
        if (c == '"') {
            pos++;
            return true;
        }
        if (c == '\\') {
            if (++pos == text.size() || (text[pos] != '\\' && text[pos] != '"'))
                return false;
            c = text[pos];
        }
        out += c;
    }
    return false;
}

static std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

static bool parse_key_line(const std::string &line, std::vector<std::string> &path, std::string &error)
{
    std::string inside = trim_right(line);
    if (inside.size() < 2 || inside.back() != ']') {
        error = "key line without its closing ]";
        return false;
    }
    inside = inside.substr(1, inside.size() - 2);
    path.clear();
    size_t start = 0;
    for (;;) {
        size_t slash = inside.find('\\', start);
        path.push_back(inside.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (path.back().empty()) {
            error = "empty key name in [" + inside + "]";
            return false;
        }
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    for (const char *root : root_names)
        if (same_name(path[0], root))
            return true;
    error = "unknown root key " + path[0];
    return false;
}

// "Name"=... or @=...; the data is left in rest, after the '='.
static bool parse_value_start(const std::string &line, RegEntry &value, std::string &rest, std::string &error)
{
    size_t pos = 0;
    if (line[0] == '@') {
        value.name.clear();
        pos = 1;
    } else if (!read_quoted(line, pos, value.name)) {
        error = "value name not properly quoted";
        return false;
    }
    if (pos >= line.size() || line[pos] != '=') {
        error = "value without '='";
        return false;
    }
    rest = line.substr(pos + 1);
    return true;
}

static bool parse_string_data(const std::string &rest, RegEntry &value, std::string &error)
{
    size_t pos = 0;
    if (!read_quoted(rest, pos, value.data) || !trim_right(rest.substr(pos)).empty()) {
        error = "string data not properly quoted";
        return false;
    }
    value.kind = RegEntry::STRING;
    return true;
}

static std::vector<std::string> split_lines(const std::string &text, bool &crlf)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        // Every CR at a line end goes: one kept would be lost at the next
        // rewrite, whichever line end the file is written with.
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (lines.empty())
            crlf = end > start && text[end - 1] == '\r';
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// A hex: list goes on to the next line after a backslash at the end.
static bool continues(const std::string &line)
{
    std::string trimmed = trim_right(line);
    return !trimmed.empty() && trimmed.back() == '\\';
}

static bool is_comment(const std::string &line)
{
    return line[0] == ';' || line[0] == '#';
}

bool parse_registry(const std::string &text, RegFile &file, int &error_line, std::string &error)
{
    file = RegFile();
    std::vector<std::string> lines = split_lines(text, file.crlf);
    if (lines.empty())
        return true;
    error_line = 1;
    if (trim_right(lines[0]) != "REGEDIT4") {
        error = "first line is not REGEDIT4";
        return false;
    }
    for (size_t n = 1; n < lines.size(); n++) {
        error_line = (int)n + 1;
        std::string line = trim_left(lines[n]);
        if (trim_right(line).empty())
            continue;
        if (is_comment(line)) {
            if (file.keys.empty())
                file.preamble.push_back(lines[n]);
            else
                file.keys.back().entries.push_back({ RegEntry::COMMENT, "", lines[n] });
            continue;
        }
        if (line[0] == '[') {
            RegKeyBlock key;
            if (!parse_key_line(line, key.path, error))
                return false;
            if (find_key_block(file, key.path)) {
                error = "key given twice";
                return false;
            }
            file.keys.push_back(key);
            continue;
        }
        if (line[0] != '"' && line[0] != '@') {
            error = "neither a key nor a value";
            return false;
        }
        if (file.keys.empty()) {
            error = "value before the first key";
            return false;
        }
        RegEntry value;
        std::string rest;
        if (!parse_value_start(line, value, rest, error))
            return false;
        if (find_value(file.keys.back(), value.name)) {
            error = "value given twice";
            return false;
        }
        if (!rest.empty() && rest[0] == '"') {
            if (!parse_string_data(rest, value, error))
                return false;
        } else {
            value.kind = RegEntry::RAW;
            value.data = rest;
            while (rest.compare(0, 3, "hex") == 0 && continues(lines[n])) {
                if (++n == lines.size()) {
                    error = "file ends within a value";
                    return false;
                }
                value.data += '\n' + lines[n];
            }
            std::string bytes;
            if (!decode_raw(value.data, bytes)) {
                error = "value data neither a string, dword: nor hex:";
                return false;
            }
        }
        file.keys.back().entries.push_back(value);
    }
    return true;
}

std::string format_registry(const RegFile &file)
{
    const char *eol = file.crlf ? "\r\n" : "\n";
    std::string out = std::string("REGEDIT4") + eol;
    for (const std::string &comment : file.preamble)
        out += comment + eol;
    out += eol;
    for (const RegKeyBlock &key : file.keys) {
        out += '[';
        for (size_t i = 0; i < key.path.size(); i++)
            out += (i ? "\\" : "") + key.path[i];
        out += std::string("]") + eol;
        for (const RegEntry &entry : key.entries) {
            if (entry.kind == RegEntry::COMMENT) {
                out += entry.data + eol;
                continue;
            }
            out += (entry.name.empty() ? std::string("@") : quoted(entry.name)) + '=';
            if (entry.kind == RegEntry::STRING) {
                out += quoted(entry.data);
            } else {
                for (char c : entry.data)
                    out += c == '\n' ? std::string(eol) : std::string(1, c);
            }
            out += eol;
        }
        out += eol;
    }
    return out;
}

RegKeyBlock *find_key_block(RegFile &file, const std::vector<std::string> &path)
{
    for (RegKeyBlock &key : file.keys)
        if (same_path(key.path, path))
            return &key;
    return nullptr;
}

bool key_exists(const RegFile &file, const std::vector<std::string> &path)
{
    if (path.size() == 1)
        return true;  // a root key always exists
    for (const RegKeyBlock &key : file.keys)
        if (is_below_or_same(key.path, path))
            return true;
    return false;
}

bool create_key(RegFile &file, const std::vector<std::string> &path)
{
    bool added = false;
    for (size_t length = 2; length <= path.size(); length++) {
        std::vector<std::string> step(path.begin(), path.begin() + (long)length);
        if (!key_exists(file, step)) {
            file.keys.push_back({ step, {} });
            added = true;
        }
    }
    return added;
}

bool name_fits_file(const std::string &name)
{
    return name.find('\n') == std::string::npos;
}

RegEntry *find_value(RegKeyBlock &key, const std::string &name)
{
    for (RegEntry &entry : key.entries)
        if (entry.kind != RegEntry::COMMENT && same_name(entry.name, name))
            return &entry;
    return nullptr;
}

std::string value_bytes(const RegEntry &value)
{
    if (value.kind == RegEntry::STRING)
        return value.data + '\0';
    std::string bytes;
    decode_raw(value.data, bytes);
    return bytes;
}

// Text with one terminator at its end and nothing that would break the
// line can be written as "text"; everything else only as bytes.
static bool fits_quoted_text(const std::string &bytes)
{
    if (bytes.empty() || bytes.back() != '\0')
        return false;
    return bytes.find_first_of(std::string("\r\n\0", 3)) == bytes.size() - 1;
}

static std::string hex_string_data(const std::string &bytes)
{
    std::string out = "hex(1):";
    char pair[4];
    for (size_t i = 0; i < bytes.size(); i++) {
        snprintf(pair, sizeof pair, i ? ",%02x" : "%02x", (unsigned char)bytes[i]);
        out += pair;
    }
    return out;
}

bool set_value_bytes(RegKeyBlock &key, const std::string &name, const std::string &bytes)
{
    RegEntry wanted;
    if (fits_quoted_text(bytes))
        wanted = { RegEntry::STRING, name, bytes.substr(0, bytes.size() - 1) };
    else
        wanted = { RegEntry::RAW, name, hex_string_data(bytes) };

    RegEntry *value = find_value(key, name);
    if (!value) {
        key.entries.push_back(wanted);
        return true;
    }
    if (value->kind == wanted.kind && value->data == wanted.data)
        return false;
    value->kind = wanted.kind;
    value->data = wanted.data;  // the name keeps its first case
    return true;
}
