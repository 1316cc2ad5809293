// The one command-line argument of velmorix: the usage options and the port base.
#include "port_base.h"

static bool is_option_prefix(char c) { return c == '-' || c == '/'; }

static bool is_usage_letter(char c) { return c == 'h' || c == 'H' || c == '?'; }

ArgumentAction read_argument(const char *argument, uint32_t *port_base)
{
    if (argument == nullptr)
        return RUN_WITH_PORT_BASE;
    if (is_option_prefix(argument[0])) {
        // Only the second character counts; an unknown option is ignored.
        if (is_usage_letter(argument[1]))
            return SHOW_USAGE;
        return RUN_WITH_PORT_BASE;
    }
    *port_base = read_hex_u32(argument);
    return RUN_WITH_PORT_BASE;
}

static bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

static int hex_digit_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

uint32_t read_hex_u32(const char *text)
{
    const uint64_t too_large = 0x100000000ull;
    const char *p = text;
    while (is_space(*p))
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        p += 2;

    // Accumulate in 64 bits and stop growing once past 32: every further
    // digit keeps the number too large.
    uint64_t value = 0;
    for (int digit; (digit = hex_digit_value(*p)) >= 0; p++) {
        if (value < too_large)
            value = value * 16 + (uint64_t)digit;
    }

    if (value >= too_large)
        return negative ? 1u : 0xFFFFFFFFu;
    uint32_t magnitude = (uint32_t)value;
    return negative ? (uint32_t)(0u - magnitude) : magnitude;
}
