// velmorix reads its port base as the Windows C library's strtoul(arg, 0, 16)
// does on a 32-bit unsigned long. This compares our reading with msvcrt's
// own strtoul over inputs built to reach every branch: blanks, signs,
// prefixes, leading zeros, overflow both ways and trailing text. Exits 1 on
// the first disagreement list, 0 when every input agrees.
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "port_base.h"

typedef unsigned long(__cdecl *StrtoulFunction)(const char *, char **, int);

// Taken from msvcrt.dll by name, so that no compiler or runtime substitute
// can stand in for it.
static StrtoulFunction msvcrt_strtoul(void)
{
    HMODULE msvcrt = LoadLibraryA("msvcrt.dll");
    if (!msvcrt)
        return nullptr;
    return reinterpret_cast<StrtoulFunction>(reinterpret_cast<void *>(GetProcAddress(msvcrt, "strtoul")));
}

static const char *const leads[] = { "", " ", "\t", " \t\n\v\f\r", "\xa0" };
static const char *const signs[] = { "", "+", "-", "+-", "--" };
static const char *const prefixes[] = { "", "0x", "0X", "0", "x", "00x" };
static const char *const bodies[] = {
    "",  // no digits at all
    "0",
    "1",
    "340",
    "2A0",
    "2a0h",
    "300",
    "e000",
    "DeadBeef",
    "7FFFFFFF",
    "80000000",
    "FFFFFFFF",  // the top of 32 bits
    "100000000",
    "FFFFFFFF0",
    "123456789",                       // just past 32 bits
    "0000000000000000000000ffffffff",  // long, but small
    "FFFFFFFFFFFFFFFF",
    "10000000000000000",  // around 64 bits
    "7FFFFFFFFFFFFFFF",
    "8000000000000000",
    "123456789abcdef0123456789abcdef",  // far past 64 bits
    "g",
    "G1",
    " 1",
};
static const char *const tails[] = { "", "zz", "h", " 12", "-1", "0x1" };

static std::vector<std::string> all_inputs(void)
{
    std::vector<std::string> inputs;
    // Every prefix and body, with and without a sign; blanks and tails on a
    // spread of them, so that each shows up with every other part.
    for (const char *prefix : prefixes)
        for (const char *body : bodies)
            for (const char *sign : signs)
                inputs.push_back(std::string(sign) + prefix + body);
    size_t n = 0;
    for (const char *lead : leads)
        for (const char *tail : tails)
            for (const char *body : bodies) {
                const char *sign = signs[n % 3], *prefix = prefixes[n % 4];
                inputs.push_back(std::string(lead) + sign + prefix + body + tail);
                n++;
            }
    return inputs;
}

static std::string shown(const std::string &text)
{
    std::string out;
    for (unsigned char c : text) {
        char piece[8];
        if (c >= 0x20 && c < 0x7f && c != '\\')
            snprintf(piece, sizeof piece, "%c", c);
        else
            snprintf(piece, sizeof piece, "\\x%02x", c);
        out += piece;
    }
    return out;
}

int main(void)
{
    StrtoulFunction reference = msvcrt_strtoul();
    if (!reference) {
        fprintf(stderr, "msvcrt.dll has no strtoul\n");
        return 2;
    }
    std::vector<std::string> inputs = all_inputs();
    int disagreements = 0;
    for (const std::string &input : inputs) {
        uint32_t theirs = (uint32_t)reference(input.c_str(), nullptr, 16);
        uint32_t ours = read_hex_u32(input.c_str());
        if (ours != theirs) {
            printf("\"%s\": ours 0x%08lx, msvcrt 0x%08lx\n", shown(input).c_str(), (unsigned long)ours,
                   (unsigned long)theirs);
            disagreements++;
        }
    }
    printf("%zu inputs, %d disagreements\n", inputs.size(), disagreements);
    return disagreements == 0 ? 0 : 1;
}
