// registry_dump FILE
// Reads a registry file with tessaran's own reader and lists every key and
// every value as the file means them, one a line: the key, then a tab, the
// value name and a tab and the value's bytes (as the ANSI calls read them)
// in hex. Names show bytes outside printable ASCII, and a backslash within
// a name, as \xHH. Exits 1, saying why, when the file cannot be read.
#include <stdio.h>
#include <string.h>

#include "durable_file.h"
#include "live_keys.h"
#include "text_encoding.h"

static std::string shown(const std::string &utf8, bool path = false)
{
    std::string out;
    char escape[8];
    for (unsigned char c : utf8_to_ansi(utf8)) {
        if (c < 0x20 || c >= 0x7f || (c == '\\' && !path)) {
            snprintf(escape, sizeof escape, "\\x%02x", c);
            out += escape;
        } else {
            out += (char)c;
        }
    }
    return out;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: registry_dump FILE\n");
        return 2;
    }
    std::string bytes, error;
    mode_t mode;
    if (int failure = read_regular_file(argv[1], bytes, &mode)) {
        fprintf(stderr, "registry_dump: %s: %s\n", argv[1], strerror(failure));
        return 1;
    }
    RegDocument doc;
    size_t line = 0;
    if (!read_document(bytes, doc, &line, error)) {
        fprintf(stderr, "registry_dump: %s:%zu: %s\n", argv[1], line, error.c_str());
        return 1;
    }
    for (const LiveKey &key : live_keys(doc)) {
        std::string path = shown(key.path, true);
        printf("%s\n", path.c_str());
        for (const ValueLine &value : key.values) {
            printf("%s\t%s\t", path.c_str(), shown(value.name).c_str());
            for (unsigned char c : value_ansi_bytes(doc, value))
                printf("%02x", c);
            printf("\n");
        }
    }
    return 0;
}
