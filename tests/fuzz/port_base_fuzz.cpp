// The port base reading against a model built another way: split the text
// into sign and digit string first, then decide on the string's length.
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "port_base.h"

static uint32_t reference_model(const std::string &text)
{
    size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos)
        return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0)
        i += 2;
    size_t end = text.find_first_not_of("0123456789abcdefABCDEF", i);
    std::string digits = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
    digits.erase(0, digits.find_first_not_of('0'));
    if (digits.size() > 8)
        return negative ? 1u : 0xFFFFFFFFu;
    uint32_t magnitude = digits.empty() ? 0 : (uint32_t)std::stoul(digits, nullptr, 16);
    return negative ? (uint32_t)(0u - magnitude) : magnitude;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An argument is a C string: it ends at the first NUL.
    std::string text((const char *)data, size);
    text = text.c_str();
    if (read_hex_u32(text.c_str()) != reference_model(text))
        abort();
    return 0;
}
