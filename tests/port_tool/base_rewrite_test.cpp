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

    std::string rewrite(uint32_t port_base)
    {
        testing::internal::CaptureStdout();
        result = rewrite_base_address(UniDrv_Open(0), table, port_base);
        fflush(stdout);
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

TEST_F(BaseRewrite, ACardThatLostItsVendorIsNotListedAgain)
{
    fake_bus.functions.erase({ 3, 2 << 3 });  // the read-back fails and leaves 0xFF
    EXPECT_EQ(rewrite(0x340), "\n - - - New Base Addresses: ");
}

TEST_F(BaseRewrite, AbsentBiosEndsTheRunBeforeAnyWrite)
{
    fake_bus.bios_absent = true;
    EXPECT_EQ(rewrite(0x340), "\n*** PCI BIOS not present!");
    EXPECT_EQ(result, PCI_BIOS_ABSENT);
    EXPECT_EQ(fake_bus.calls, std::vector<std::string>{ "status" });
}
