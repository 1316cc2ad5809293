// The registry file's reader and writer on arbitrary text. The input is
//   root  key_length  name_length  bytes_length  key  name  bytes  file
// (one byte each for the first four). Whatever parses must read back equal
// once written; and after the key is created and the value set, the written
// file must hold those bytes exactly, with every other value as it was.
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "tessaran_regfile_linux.h"

namespace {

const char *const roots[] = { "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER" };

// A failed expectation names its line, then stops the run as a crash would.
void check_at(bool condition, int line)
{
    if (condition) return;
    fprintf(stderr, "expectation failed at line %d\n", line);
    abort();
}
#define check(condition) check_at((condition), __LINE__)

bool same_entries(const RegKeyBlock &a, const RegKeyBlock &b)
{
    if (a.path != b.path || a.entries.size() != b.entries.size()) return false;
    for (size_t i = 0; i < a.entries.size(); i++) {
        const RegEntry &x = a.entries[i], &y = b.entries[i];
        if (x.kind != y.kind || x.name != y.name || x.data != y.data) return false;
        if (x.kind != RegEntry::COMMENT && value_bytes(x) != value_bytes(y)) return false;
    }
    return true;
}

bool same_file(const RegFile &a, const RegFile &b)
{
    if (a.crlf != b.crlf || a.preamble != b.preamble || a.keys.size() != b.keys.size()) return false;
    for (size_t i = 0; i < a.keys.size(); i++)
        if (!same_entries(a.keys[i], b.keys[i])) return false;
    return true;
}

RegFile read_back(const std::string &text)
{
    RegFile file;
    int line = 0;
    std::string error;
    check(parse_registry(text, file, line, error));
    return file;
}

// "A\B\C" under the root as a path; false when a part is empty or cannot
// stand in the file.
bool key_path(const char *root, const std::string &text, std::vector<std::string> &path)
{
    path = { root };
    size_t start = 0;
    for (;;) {
        size_t slash = text.find('\\', start);
        path.push_back(text.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (path.back().empty() || !name_fits_file(path.back())) return false;
        if (slash == std::string::npos) return true;
        start = slash + 1;
    }
}

// Every value of every key in before is in after, with the same bytes,
// except the one just set.
void others_unchanged(const RegFile &before, RegFile &after, const std::vector<std::string> &set_key,
                      const std::string &set_name)
{
    for (const RegKeyBlock &old_key : before.keys) {
        RegKeyBlock *new_key = find_key_block(after, old_key.path);
        check(new_key != nullptr);
        bool is_set_key = find_key_block(after, set_key) == new_key;
        for (const RegEntry &old_value : old_key.entries) {
            if (old_value.kind == RegEntry::COMMENT || (is_set_key && same_name(old_value.name, set_name)))
                continue;
            const RegEntry *new_value = find_value(*new_key, old_value.name);
            check(new_value != nullptr && new_value->name == old_value.name);
            check(value_bytes(*new_value) == value_bytes(old_value));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4 || size < 4u + data[1] + data[2] + data[3]) return 0;
    const char *root = roots[data[0] % 3];
    const char *text = (const char *)data + 4;
    std::string key_text(text, data[1]);
    std::string name(text + data[1], data[2]);
    std::string bytes(text + data[1] + data[2], data[3]);
    std::string file_text(text + data[1] + data[2] + data[3], size - 4 - data[1] - data[2] - data[3]);

    RegFile file;
    int error_line = 0;
    std::string error;
    if (!parse_registry(file_text, file, error_line, error)) {
        check(error_line >= 1 && !error.empty());
        return 0;
    }

    std::string written = format_registry(file);
    RegFile again = read_back(written);
    check(same_file(file, again));
    check(format_registry(again) == written);

    std::vector<std::string> path;
    if (!key_path(root, key_text, path) || !name_fits_file(name)) return 0;
    create_key(file, path);
    check(key_exists(file, path));
    RegKeyBlock *block = find_key_block(file, path);
    if (!block) {  // known only by the keys below it, as the registry stand-in does
        file.keys.push_back({ path, {} });
        block = &file.keys.back();
    }
    set_value_bytes(*block, name, bytes);

    RegFile stored = read_back(format_registry(file));
    RegKeyBlock *stored_key = find_key_block(stored, path);
    check(stored_key != nullptr);
    const RegEntry *stored_value = find_value(*stored_key, name);
    check(stored_value != nullptr && value_bytes(*stored_value) == bytes);
    others_unchanged(again, stored, path, name);
    return 0;
}
