// The registry stand-in's file: REGEDIT4 text, read and written.
#ifndef TESSARAN_REGFILE_LINUX_H
#define TESSARAN_REGFILE_LINUX_H

#include <string>
#include <vector>

// One line of a key's block: a value, or a comment kept as it stands.
struct RegEntry {
    enum Kind { STRING, RAW, COMMENT } kind;
    std::string name;  // value name; "" is the default value (@)
    std::string data;  // STRING: the text, unescaped; RAW: the text after '=', continuation
                       // lines joined by '\n' (dword:, hex:, hex(N):); COMMENT: the line
};

struct RegKeyBlock {
    std::vector<std::string> path;  // root name first, e.g. HKEY_LOCAL_MACHINE, SOFTWARE, ...
    std::vector<RegEntry> entries;
};

struct RegFile {
    bool crlf = false;                  // written back with the line ends it was read with
    std::vector<std::string> preamble;  // comments before the first key
    std::vector<RegKeyBlock> keys;      // in the order they were created
};

// Reads REGEDIT4 text; empty text is an empty registry. On failure returns
// false with the line number and what is wrong.
bool parse_registry(const std::string &text, RegFile &file, int &error_line, std::string &error);

std::string format_registry(const RegFile &file);

// Case-insensitive, as registry names are.
bool same_name(const std::string &a, const std::string &b);

// The key's block, or null when it has none.
RegKeyBlock *find_key_block(RegFile &file, const std::vector<std::string> &path);

// A key exists when it has a block or a key below it does.
bool key_exists(const RegFile &file, const std::vector<std::string> &path);

// A key or value name the text can hold: a line break would split its line.
// Callers refuse other names before they reach the file.
bool name_fits_file(const std::string &name);

// Creates the key and every missing key on the way, each with a block of its
// own after the others. Returns true when something was added.
bool create_key(RegFile &file, const std::vector<std::string> &path);

RegEntry *find_value(RegKeyBlock &key, const std::string &name);

// The bytes a value holds, as a query returns them: a string with its
// terminator, a dword in four bytes low first, hex data as given.
std::string value_bytes(const RegEntry &value);

// Sets a value to the given bytes in place, or appends it. A string with one
// terminator at its end is written as text, anything else as hex(1): so that
// no byte is lost. Returns true when the file changed.
bool set_value_bytes(RegKeyBlock &key, const std::string &name, const std::string &bytes);

#endif
