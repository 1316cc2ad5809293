// The registry file's reader and writer on arbitrary bytes. The input is
//   flags  key_length  name_length  bytes_length  key  name  bytes  file
// (one byte each for the first four; flags: bit 7 turns the file's text into
// UTF-16, the rest picks the root; the text's first line picks the form, so
// 8-bit version 5.00 comes too). Whatever reads must write back byte for
// byte; after the key is created and the value set, the file must read back
// with those bytes, every other value as it was and the lines reg import
// skips as they were.
#include <map>
#include <string>

#include "fuzz_check.h"
#include "live_keys.h"
#include "text_encoding.h"

namespace {

// Every value by folded key and name, as the ANSI calls read it.
std::map<std::string, std::string> meaning(const RegDocument &doc)
{
    std::map<std::string, std::string> values;
    for (const LiveKey &key : live_keys(doc))
        for (const ValueLine &value : key.values)
            values[key_index(key.path) + '\n' + folded(value.name)] = value_ansi_bytes(doc, value);
    return values;
}

// The lines reg import skips, in order.
std::string skipped_text(const RegDocument &doc)
{
    std::string text;
    for (const SkippedLines &skipped : doc.skipped)
        for (uint32_t n = skipped.first; n <= skipped.last; n++)
            text.append(line_text(doc, n)).append("\n");
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4 || size < 4u + data[1] + data[2] + data[3])
        return 0;
    const char *root = registry_roots[(data[0] & 0x7F) % REGISTRY_ROOT_COUNT].full;
    const char *text = (const char *)data + 4;
    std::string key_text(text, data[1]), name(text + data[1], data[2]),
        bytes(text + data[1] + data[2], data[3]);
    std::string file(text + data[1] + data[2] + data[3], size - 4 - data[1] - data[2] - data[3]);
    if (data[0] & 0x80)
        file = "\xFF\xFE" + utf8_to_utf16le(ansi_to_utf8(file));

    RegDocument doc;
    size_t error_line = 0;
    std::string error;
    if (!read_document(file, doc, &error_line, error)) {
        check(error_line >= 1 && !error.empty());
        return 0;
    }
    std::string written;
    write_document(doc, written);
    check(written == file);

    // Names the registry calls would take: C strings, no empty key name, no
    // line break (a value name may hold a CR: it is written escaped).
    if (key_text.empty() || key_text.front() == '\\' || key_text.back() == '\\' ||
        key_text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos ||
        key_text.find("\\\\") != std::string::npos ||
        name.find_first_of(std::string("\n\0", 2)) != std::string::npos)
        return 0;
    std::string path = std::string(root) + "\\" + ansi_to_utf8(key_text);
    std::map<std::string, std::string> before = meaning(doc);
    std::string skipped = skipped_text(doc);
    // An unfinished hex list's backslash goes when lines come after it.
    bool unfinished_list = doc.unfinished_list_line != NO_BLOCK;
    create_key(doc, path);
    check(key_exists(doc, path));
    set_string_value(doc, path, ansi_to_utf8(name), bytes);

    write_document(doc, written);
    RegDocument stored;
    check(read_document(written, stored, &error_line, error));
    check(stored.form == doc.form && stored.wide == doc.wide);
    check(unfinished_list || skipped_text(stored) == skipped);
    std::map<std::string, std::string> after = meaning(stored);
    std::string set_at = key_index(path) + '\n' + folded(ansi_to_utf8(name));
    check(after[set_at] == bytes);
    before[set_at] = bytes;
    check(before == after);
    return 0;
}
