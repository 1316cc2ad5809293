// registry_dump FILE
// Reads a registry file with tessaran's own reader and lists every key and
// every value, one a line: the key, then a tab, the value name and a tab and
// the value's bytes in hex. Names show bytes outside printable ASCII as \xHH.
// Exits 1, saying why, when the file cannot be read.
#include <stdio.h>

#include <fstream>
#include <sstream>

#include "tessaran_regfile_linux.h"

static std::string shown(const std::string &text)
{
    std::string out;
    char escape[8];
    for (unsigned char c : text) {
        if (c < 0x20 || c >= 0x7f || c == '\\') {
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
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        fprintf(stderr, "registry_dump: cannot open %s\n", argv[1]);
        return 1;
    }
    std::stringstream all;
    all << in.rdbuf();
    RegFile file;
    int line = 0;
    std::string error;
    if (!parse_registry(all.str(), file, line, error)) {
        fprintf(stderr, "registry_dump: %s:%d: %s\n", argv[1], line, error.c_str());
        return 1;
    }
    for (const RegKeyBlock &key : file.keys) {
        std::string path;
        for (const std::string &part : key.path)
            path += (path.empty() ? "" : "\\") + shown(part);
        printf("%s\n", path.c_str());
        for (const RegEntry &entry : key.entries) {
            if (entry.kind == RegEntry::COMMENT)
                continue;
            printf("%s\t%s\t", path.c_str(), shown(entry.name).c_str());
            for (unsigned char c : value_bytes(entry))
                printf("%02x", c);
            printf("\n");
        }
    }
    return 0;
}
