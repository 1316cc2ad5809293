// The one command-line argument of velmorix.
#ifndef VELMORIX_PORT_BASE_H
#define VELMORIX_PORT_BASE_H

#include <stdint.h>

enum { DEFAULT_PORT_BASE = 0x340 };

enum ArgumentAction {
    RUN_WITH_PORT_BASE,  // go on with *port_base
    SHOW_USAGE,          // -h, -H, -?, /h, /H, /? (and anything starting so)
};

// Reads the first argument (nullptr when absent) into *port_base, which
// keeps its value for an absent or unknown option.
ArgumentAction read_argument(const char *argument, uint32_t *port_base);

// strtoul(text, nullptr, 16) as the Windows C library computes it for a
// 32-bit unsigned long, on every platform alike.
uint32_t read_hex_u32(const char *text);

#endif
