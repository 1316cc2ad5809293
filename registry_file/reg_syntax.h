// One line of a registry file, as regedit and `reg import` read it: a key
// [ROOT\path], a key deletion [-ROOT\path], a value "name"=data or @=data
// (data "text", dword:, hex:, hex(N): or - for a deletion), a hex list's
// continuation, or a blank or comment line. The text is UTF-8, without its
// line end. Also the writing of value data.
#ifndef REGISTRY_REG_SYNTAX_H
#define REGISTRY_REG_SYNTAX_H

#include <stdint.h>

#include <string>
#include <string_view>

// The root keys a file may name: in full, or by the short name reg import
// also takes.
struct RegistryRootName {
    const char *full, *abbreviation;
};
extern const RegistryRootName registry_roots[];
enum { REGISTRY_ROOT_COUNT = 5 };

enum LineKind { LINE_OTHER, LINE_KEY, LINE_VALUE };

// What the line starts as: '[' a key or key deletion, '"' or '@' a value,
// else blank, comment, continuation or something reg import skips.
LineKind line_kind(std::string_view line);

// What reg import makes of a key line.
enum KeyLine {
    KEY_READ,       // a key it opens, or deletes
    KEY_NOT_A_KEY,  // a line it skips: the key before it goes on
    KEY_UNUSABLE,   // a key it cannot open or delete: the values after it belong to no key
};

// A key line: the key's path, its root named in full and one backslash
// between names ("HKEY_LOCAL_MACHINE\\A\\B" for [HKLM\A\\B\]), and whether
// the line deletes it; else what is wrong with it.
KeyLine read_key_line(std::string_view line, std::string &path, bool *deletion, std::string &what);

enum DataType { DATA_STRING, DATA_DWORD, DATA_HEX, DATA_DELETION };
enum { REG_SZ_TYPE = 1, REG_EXPAND_SZ_TYPE = 2, REG_BINARY_TYPE = 3, REG_MULTI_SZ_TYPE = 7 };

struct ValueLine {
    std::string name;  // unescaped; "" for @, the default value
    size_t data_at;    // where the data starts in the line
    DataType type;
    uint32_t hex_type;  // DATA_HEX: N of hex(N):, REG_BINARY_TYPE for hex:
    std::string data;   // DATA_STRING: the text; DATA_DWORD, DATA_HEX: the bytes
    bool continues;     // a hex list that goes on in the next line
};

// A value line; false, with what, when reg import skips it.
bool read_value_line(std::string_view line, ValueLine &value, std::string &what);

// The next line of a hex list that continues: blank and comment lines are
// skipped (*skipped set), anything else must go on with hex bytes.
bool read_hex_continuation(std::string_view line, ValueLine &value, bool *skipped, std::string &what);

// Value data as written after '=': "text" with \ and " escaped, and CR as
// \r so that it cannot end the line; or hex(N):b0,b1,...
std::string quoted_text(const std::string &utf8);
std::string hex_data(uint32_t hex_type, const std::string &bytes);

#endif
