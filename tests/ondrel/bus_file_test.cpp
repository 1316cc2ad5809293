// The bus file: what lspci writes reads in, what we write back lspci reads.
#include <gtest/gtest.h>

#include "bus_file_update.h"

namespace {

std::string rows(unsigned from, unsigned to, const char *bytes)
{
    std::string text;
    char offset[16];
    for (unsigned row = from; row < to; row += 16) {
        snprintf(offset, sizeof offset, "%02x:", row);
        text += std::string(offset) + bytes + "\n";
    }
    return text;
}

const char zeros[] = " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";

std::string card_text()
{
    return "01:09.0 Signal processing controller: Device 1c7b:0e26\n"
           "00: 7b 1c 26 0e 00 00 00 00 00 00 80 11 00 00 00 00\n"
           "10: 01 e0 00 00 00 00 00 00 01 03 00 00 00 00 00 00\n";
}

struct Parsed {
    BusFile bus;
    BusFileFault fault;
    bool ok;
    explicit Parsed(const std::string &text) { ok = parse_bus_file(text, bus, fault); }
    // One byte of the function at 0000:bus_number:devfn, which must be there.
    unsigned byte(unsigned bus_number, unsigned devfn, unsigned offset)
    {
        uint8_t config[CONFIG_SPACE_SIZE];
        function_config(bus, *find_function(bus, bus_number, devfn), config);
        return config[offset];
    }
};

TEST(BusFile, ReadsLspciDumpsWithOrWithoutDomainRowsPastTheHeaderAndNoFinalNewline)
{
    std::string text = "# a comment\n" + card_text() + rows(0x20, 0x100, zeros) + rows(0x100, 0x140, zeros) +
                       "\n0000:00:1f.3 Audio device: Device 8086:a348\n00: 86 80 48 a3";
    Parsed parsed(text);
    ASSERT_TRUE(parsed.ok) << parsed.fault.line << ": " << parsed.fault.what;
    ASSERT_EQ(parsed.bus.functions.size(), 2u);
    BusFunction *card = find_function(parsed.bus, 1, 9 << 3);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(parsed.byte(1, 9 << 3, 0x18), 0x01u);
    EXPECT_EQ(parsed.byte(1, 9 << 3, 0x19), 0x03u);
    BusFunction *audio = find_function(parsed.bus, 0, 0x1f << 3 | 3);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(parsed.byte(0, 0x1f << 3 | 3, 3), 0xa3u);
    EXPECT_EQ(parsed.byte(0, 0x1f << 3 | 3, 4), 0xffu) << "bytes never given read as 0xFF";
    EXPECT_EQ(find_function(parsed.bus, 1, 10 << 3), nullptr);
    EXPECT_EQ(bus_file_bytes(parsed.bus), text);
}

TEST(BusFile, NamesTheLineAndTheFaultOfAMalformedFile)
{
    struct Bad {
        std::string text;
        size_t line;
        const char *what;
    };
    const Bad bad[] = {
        { card_text() + "20: 00 0g\n", 4, "data row is not hex bytes" },
        { card_text() + "20: 00 000\n", 4, "data row is not hex bytes" },
        { card_text() + "ff8: 00 00 00 00 00 00 00 00 00\n", 4, "data row reaches past offset fff" },
        { card_text() + std::string("# \0\n", 4), 4, "line holds a NUL byte" },
        { "# sim: power-cycle\n", 1, "unknown directive \"power-cycle\"" },
        { "\n\n# sim: read-fails 01:20.0\n", 3, "read-fails names no valid function" },
        { "# sim: write-ignored 1:9.0\n", 1, "write-ignored names no valid function" },
        { "# sim: open-error\n", 1, "open-error needs a hex error code" },
        { "# sim: bios-absent now\n", 1, "bios-absent takes no argument" },
        { "# sim: io-window 01:09.0 18\n", 1,
          "io-window needs a window size in hex, a power of two from 4 to 100" },
        { "# sim: io-window 01:09.0 20 x\n", 1, "io-window takes two arguments" },
        { card_text() + "\n" + card_text(), 5, "function 01:09.0 is given twice" },
    };
    for (const Bad &b : bad) {
        Parsed parsed(b.text);
        EXPECT_FALSE(parsed.ok) << b.text;
        EXPECT_EQ(parsed.fault.line, b.line) << b.text;
        EXPECT_EQ(parsed.fault.what, b.what) << b.text;
    }
}

TEST(BusFile, TakesTheFourDirectives)
{
    Parsed parsed("# sim: open-error 0x4C7\n#sim: bios-absent\n# sim:  read-fails 01:09.0\n"
                  "# sim: write-ignored 01:09.0\n" +
                  card_text());
    ASSERT_TRUE(parsed.ok) << parsed.fault.what;
    EXPECT_TRUE(parsed.bus.has_open_error);
    EXPECT_EQ(parsed.bus.open_error, 0x4c7u);
    EXPECT_TRUE(parsed.bus.bios_absent);
    BusFunction *card = find_function(parsed.bus, 1, 9 << 3);
    EXPECT_TRUE(card->read_fails);
    EXPECT_TRUE(card->write_ignored);
}

TEST(BusFile, AWriteChangesOnlyTheRowsThatHoldItsBytes)
{
    std::string before = card_text() + rows(0x20, 0x100, zeros) + "\n00:00.0 Host bridge\r\n00: 86 80 37 12";
    Parsed parsed(before);
    ASSERT_TRUE(parsed.ok);
    const uint8_t data[] = { 0x41, 0x03, 0x00, 0x00 };
    write_function_bytes(parsed.bus, *find_function(parsed.bus, 1, 9 << 3), 0x18, data, 4);
    std::string expected = before;
    const std::string old_row = "10: 01 e0 00 00 00 00 00 00 01 03";
    expected.replace(expected.find(old_row), old_row.size(), "10: 01 e0 00 00 00 00 00 00 41 03");
    EXPECT_EQ(bus_file_bytes(parsed.bus), expected);

    // A row the file never gave is added where lspci would print it, with
    // the line end of the file's first line.
    const uint8_t line_byte = 0x0b;
    write_function_bytes(parsed.bus, *find_function(parsed.bus, 0, 0), 0x3c, &line_byte, 1);
    std::string after = bus_file_bytes(parsed.bus);
    const std::string tail =
        "Host bridge\r\n00: 86 80 37 12\n30: ff ff ff ff ff ff ff ff ff ff ff ff 0b ff ff ff";
    ASSERT_GT(after.size(), tail.size());
    EXPECT_EQ(after.substr(after.size() - tail.size()), tail);
    Parsed reread(after);
    ASSERT_TRUE(reread.ok);
    EXPECT_EQ(reread.byte(0, 0, 0x3c), 0x0bu);
    EXPECT_EQ(reread.byte(1, 9 << 3, 0x18), 0x41u);
}

}  // namespace
