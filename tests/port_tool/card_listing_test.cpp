#include <gtest/gtest.h>
#include <stdio.h>

#include "card_listing.h"
#include "fake_driver.h"

static std::string listing(int number, int slot, int bus, const ConfigSpace &config)
{
    testing::internal::CaptureStdout();
    print_card_listing(number, slot, bus, config.data());
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

static const char hyphens[] = "  --------------------------------------------------------------------------";

TEST(CardListing, PrintsHeadingRegistersInterruptAndRule)
{
    ConfigSpace config = config_with_ids(0x1C7B, 0x0E26);
    set_u32(config, 0x10, 0x0000E001);
    set_u32(config, 0x18, 0x00000341);
    config[0x3C] = 11;
    EXPECT_EQ(listing(1, 9, 1, config), std::string("\n1. Bus 1, Slot 9: Device ID - E26, Vendor ID - 1C7B\n"
                                                    "BADR: IO-0x0000E000 IO-0x00000340\n"
                                                    "INTLN - 11\n") +
                                            hyphens);
}

TEST(CardListing, KeepsMemoryBitsAndSkipsZeroRegisters)
{
    ConfigSpace config = config_with_ids(0x1C7B, 0x0E26);
    set_u32(config, 0x14, 0xFEB0000C);  // 64-bit prefetchable memory
    set_u32(config, 0x20, 0x00000001);  // I/O at 0
    set_u32(config, 0x24, 0xFFFFFFFF);
    config[0x3C] = 0;
    EXPECT_EQ(listing(12, 31, 7, config),
              std::string("\n12. Bus 7, Slot 31: Device ID - E26, Vendor ID - 1C7B\n"
                          "BADR:  M-0xFEB0000C IO-0x00000000 IO-0xFFFFFFFE\n"
                          "INTLN - 00\n") +
                  hyphens);
}

TEST(CardListing, AllRegistersZeroAndInterruptLineAsUnsigned)
{
    ConfigSpace config = config_with_ids(0x1C7B, 0x0001);
    config[0x3C] = 255;
    EXPECT_EQ(listing(2, 0, 0, config), std::string("\n2. Bus 0, Slot 0: Device ID - 1, Vendor ID - 1C7B\n"
                                                    "BADR:\nINTLN - 255\n") +
                                            hyphens);
    config[0x3C] = 7;
    EXPECT_NE(listing(2, 0, 0, config).find("\nINTLN - 07\n"), std::string::npos);
}

TEST(CardListing, PrintsNothingWithoutTheCardVendor)
{
    ConfigSpace empty;
    empty.fill(0xFF);
    EXPECT_EQ(listing(1, 0, 0, empty), "");
    EXPECT_EQ(listing(1, 0, 0, ConfigSpace{}), "");
    EXPECT_EQ(listing(1, 0, 0, config_with_ids(0x1C7C, 0x0E26)), "");
}
