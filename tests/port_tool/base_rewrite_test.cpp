#include <gtest/gtest.h>
#include <stdio.h>

#include "base_rewrite.h"
#include "card_scan.h"
#include "fake_driver.h"

class BaseRewrite : public ::testing::Test {
  protected:
    void SetUp() override
    {
        fake_bus = FakeBus();
        ConfigSpace card = config_with_ids(0x1C7B, 0x0E26);
        set_u32(card, 0x18, 0x00000301);
        fake_bus.add(1, 9, card);
        fake_bus.add(3, 2, card);
        scan_cards(UniDrv_Open(0), table);
        fake_bus.calls.clear();
    }

    CardTable table{};
    RewriteResult result = REWRITE_DONE;

    std::string errors;  // what the last rewrite wrote on standard error

    std::string rewrite(uint32_t port_base)
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        result = rewrite_base_address(UniDrv_Open(0), table, port_base);
        fflush(stdout);
        errors = testing::internal::GetCapturedStderr();
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(BaseRewrite, WritesPortBasePlusOneToTheLastCardAndListsItAgain)
{
    std::string out = rewrite(0x300);
    std::vector<std::string> expected = { "status", "write 03:02.0 0x18 4 01 03 00 00", "read 03:02.0" };
    EXPECT_EQ(fake_bus.calls, expected);
    EXPECT_EQ(result, REWRITE_DONE);
    EXPECT_EQ(out.rfind("\n - - - New Base Addresses: \n2. Bus 3, Slot 2:", 0), 0u);
    EXPECT_NE(out.find("BADR: IO-0x00000300\n"), std::string::npos);
    EXPECT_EQ(header_u32(table.records[1].header, 0x18), 0x301u);
    EXPECT_EQ(header_u32(table.records[0].header, 0x18), 0x301u);  // first card left as it was
}

TEST_F(BaseRewrite, AddsOneWithoutAligningLowByteFirstAndWrapsAt32Bits)
{
    const std::pair<uint32_t, const char *> cases[] = {
        { 0x341, "42 03 00 00" },
        { 0x12345677, "78 56 34 12" },
        { 0xFFFFFFFF, "00 00 00 00" },
    };
    for (const auto &[port_base, bytes] : cases) {
        fake_bus.calls.clear();
        rewrite(port_base);
        EXPECT_EQ(fake_bus.calls[1], std::string("write 03:02.0 0x18 4 ") + bytes);
    }
}

// The register read back decides, not the write's return value.
TEST_F(BaseRewrite, ACardNotWhereAskedIsListedThenReported)
{
    const char *const line =
        "\n*** Card not moved: base address register 2 reads 0x%08X, 0x%08X was written\n";
    const struct {
        uint32_t port_base, kept;
        bool vanishes;       // the read-back fails, leaving 0xFF
        uint32_t read_back;  // 0: moved, nothing reported
    } cases[] = {
        { 0x310, 0x1F, false, 0x301 },        // a 32-byte window hardwires bits 4-0
        { 0x300, 0x1F, false, 0 },            // aligned: the card takes it
        { 0x2F8, 0xFFFFFFFF, false, 0x301 },  // a card or driver that drops the write
        { 0xFFFFFFFE, 0, true, 0xFFFFFFFF },  // no answer, though its 0xFF bytes match
    };
    for (const auto &c : cases) {
        SetUp();
        fake_bus.bar2_kept = c.kept;
        if (c.vanishes)
            fake_bus.functions.erase({ 3, 2 << 3 });
        std::string out = rewrite(c.port_base);
        char expected[128] = "";
        if (c.read_back)
            snprintf(expected, sizeof expected, line, c.read_back, c.port_base + 1);
        EXPECT_EQ(errors, expected) << std::hex << c.port_base;
        EXPECT_EQ(result, c.read_back ? CARD_NOT_MOVED : REWRITE_DONE) << std::hex << c.port_base;
        if (c.vanishes) {  // a card that lost its vendor is not listed again
            EXPECT_EQ(out, "\n - - - New Base Addresses: ");
        }
    }
}

TEST_F(BaseRewrite, AbsentBiosEndsTheRunBeforeAnyWrite)
{
    fake_bus.bios_absent = true;
    EXPECT_EQ(rewrite(0x340), "\n*** PCI BIOS not present!");
    EXPECT_EQ(result, PCI_BIOS_ABSENT);
    EXPECT_EQ(fake_bus.calls, std::vector<std::string>{ "status" });
}
