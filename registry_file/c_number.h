// Numbers as Windows' C library reads them, for the parts of a registry
// file that reg import reads through it.
#ifndef REGISTRY_C_NUMBER_H
#define REGISTRY_C_NUMBER_H

#include <stdint.h>

#include <string_view>

// A base 16 number at pos in a UTF-8 line: Unicode white space, a sign, 0x
// when allowed, any number of digits. A magnitude past 32 bits reads
// 0xFFFFFFFF (*too_large), or 1 when negative. False, with pos unmoved,
// when no digit follows; else pos moves past the digits.
bool read_c_number(std::string_view line, size_t &pos, bool allow_0x, uint32_t *value, bool *too_large);

#endif
