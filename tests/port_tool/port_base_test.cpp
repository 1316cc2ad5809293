#include <gtest/gtest.h>

#include "port_base.h"

struct ArgumentCase {
    const char *argument;
    ArgumentAction action;
    uint32_t port_base;
};

TEST(ReadArgument, FollowsTheCommandLineTable)
{
    // A table, two cases a line.
    // clang-format off
    static const ArgumentCase cases[] = {
        { nullptr, RUN_WITH_PORT_BASE, 0x340 },
        { "-h", SHOW_USAGE, 0x340 },             { "-H", SHOW_USAGE, 0x340 },
        { "-?", SHOW_USAGE, 0x340 },             { "/h", SHOW_USAGE, 0x340 },
        { "/H", SHOW_USAGE, 0x340 },             { "/?", SHOW_USAGE, 0x340 },
        { "-help", SHOW_USAGE, 0x340 },          { "/?x", SHOW_USAGE, 0x340 },
        { "-x", RUN_WITH_PORT_BASE, 0x340 },     { "/", RUN_WITH_PORT_BASE, 0x340 },
        { "-", RUN_WITH_PORT_BASE, 0x340 },      { "-300", RUN_WITH_PORT_BASE, 0x340 },
        { "300", RUN_WITH_PORT_BASE, 0x300 },    { "+300", RUN_WITH_PORT_BASE, 0x300 },
        { "2A0h", RUN_WITH_PORT_BASE, 0x2A0 },   { "0x2f8", RUN_WITH_PORT_BASE, 0x2F8 },
        { "2F8", RUN_WITH_PORT_BASE, 0x2F8 },    { "zz", RUN_WITH_PORT_BASE, 0 },
        { "", RUN_WITH_PORT_BASE, 0 },           { "h", RUN_WITH_PORT_BASE, 0 },
        { " -300", RUN_WITH_PORT_BASE, 0xFFFFFD00 },  // a number, not an option
    };
    // clang-format on
    for (const ArgumentCase &c : cases) {
        uint32_t port_base = DEFAULT_PORT_BASE;
        SCOPED_TRACE(c.argument ? c.argument : "(absent)");
        EXPECT_EQ(read_argument(c.argument, &port_base), c.action);
        EXPECT_EQ(port_base, c.port_base);
    }
}

struct HexCase {
    const char *text;
    uint32_t value;
};

TEST(ReadHex, MatchesTheWindowsLibraryOn32Bits)
{
    static const HexCase cases[] = {
        { "0", 0 },
        { "ffffffff", 0xFFFFFFFF },
        { "FFFFFFFF", 0xFFFFFFFF },
        { "100000000", 0xFFFFFFFF },  // nine significant digits
        { "000000000341", 0x341 },    // leading zeros are not significant
        { "123456789abcdef0123", 0xFFFFFFFF },
        { "10000000000000000", 0xFFFFFFFF },  // 2^64: too large, however many bits
        { "-1", 0xFFFFFFFF },
        { "-ffffffff", 1 },
        { "-100000000", 1 },  // overflow with a minus sign
        { "-fffffffffffffffffffff", 1 },
        { "-0", 0 },
        { "\t\n\v\f\r 1f", 0x1F },  // every C-locale space
        { "0X1F", 0x1F },
        { "0x", 0 },
        { "0xg", 0 },
        { "0x0x1", 0 },
        { "x1", 0 },
        { "+-1", 0 },
        { "--1", 0 },
        { "- 1", 0 },
        { "12 34", 0x12 },
        { "1g2", 1 },
        { "\xff"
          "12",
          0 },  // a high byte is no space
    };
    for (const HexCase &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(read_hex_u32(c.text), c.value);
    }
}
