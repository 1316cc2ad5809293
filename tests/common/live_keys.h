// Every key and value of a registry file in memory as the file means them,
// for the checks that compare whole registries: the fuzz target and the
// hardening scripts' dump.
#ifndef TESTS_LIVE_KEYS_H
#define TESTS_LIVE_KEYS_H

#include <string>
#include <vector>

#include "reg_edit.h"

// A key a block names that no deletion has undone: its path as its first
// live block names it (read_key_line's form), and its values as the file
// now means them, in no set order.
struct LiveKey {
    std::string path;
    std::vector<ValueLine> values;
};

inline std::vector<LiveKey> live_keys(const RegDocument &doc)
{
    std::vector<LiveKey> keys;
    std::string what;
    bool deletion;
    for (const auto &[index, last] : doc.last_block) {
        LiveKey key;
        int64_t since = deleted_since(doc, index);
        // The live blocks, last to first; a value counts at the line that now sets it.
        for (uint32_t b = last; b != NO_BLOCK && doc.block_line[b] > since; b = doc.previous_block[b]) {
            read_key_line(line_text(doc, doc.block_line[b]), key.path, &deletion, what);
            uint32_t end = b + 1 < doc.block_line.size() ? doc.block_line[b + 1] : (uint32_t)doc.lines.size();
            for (uint32_t n = doc.block_line[b] + 1, line; n < end; n++) {
                ValueLine value;
                if (doc.lines[n].role == ROLE_VALUE && read_value_line(line_text(doc, n), value, what) &&
                    find_value(doc, key.path, value.name, value, &line) && line == n)
                    key.values.push_back(value);
            }
        }
        if (!key.path.empty())
            keys.push_back(key);
    }
    return keys;
}

#endif
