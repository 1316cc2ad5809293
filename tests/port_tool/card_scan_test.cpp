#include <gtest/gtest.h>
#include <string.h>

#include "card_scan.h"
#include "fake_driver.h"

class CardScan : public ::testing::Test {
  protected:
    void SetUp() override { fake_bus = FakeBus(); }

    CardTable table{};

    static int reads() { return (int)fake_bus.calls.size(); }
};

TEST_F(CardScan, ProbesFunctionZeroOfEverySlotOnBusesZeroToSevenInOrder)
{
    fake_bus.add(0, 0, config_with_ids(0x8086, 0x1237));
    scan_cards(UniDrv_Open(0), table);
    ASSERT_EQ(reads(), 256);
    EXPECT_EQ(fake_bus.calls.front(), "read 00:00.0");
    EXPECT_EQ(fake_bus.calls[1], "read 00:01.0");
    EXPECT_EQ(fake_bus.calls[32], "read 01:00.0");
    EXPECT_EQ(fake_bus.calls.back(), "read 07:1f.0");
    EXPECT_EQ(table.count, 0);
}

TEST_F(CardScan, RecordsCardsInScanOrderAndRemembersTheLastOne)
{
    fake_bus.add(3, 2, config_with_ids(0x1C7B, 0x0E26));
    fake_bus.add(1, 9, config_with_ids(0x1C7B, 0x0E26));
    fake_bus.add(1, 4, config_with_ids(0x1C7B, 0x0E27));  // another device of the same maker
    fake_bus.add(2, 0, config_with_ids(0x0E26, 0x1C7B));  // IDs swapped
    fake_bus.add(8, 1, config_with_ids(0x1C7B, 0x0E26));  // bus 8 is never probed
    scan_cards(UniDrv_Open(0), table);

    ASSERT_EQ(table.count, 2);
    EXPECT_EQ(table.records[0].bus, 1);
    EXPECT_EQ(table.records[0].slot, 9);
    EXPECT_EQ(table.records[1].bus, 3);
    EXPECT_EQ(table.records[1].slot, 2);
    const CardRecord &last = table.records[last_card_index(table)];
    SlotAddress address = slot_address(last.bus, last.slot);
    EXPECT_EQ(address.bus, 3);
    EXPECT_EQ(address.devfn, 2 << 3);
    static const uint8_t zero[3] = { 0, 0, 0 };
    EXPECT_EQ(memcmp(address.reserved1, zero, 3), 0);
    EXPECT_EQ(memcmp(address.reserved2, zero, 3), 0);
    EXPECT_EQ(reads(), 256);
    for (const std::string &call : fake_bus.calls)
        EXPECT_NE(call.substr(0, 7), "read 08");
}

TEST_F(CardScan, ANonCardLeavesItsRecordFreeForTheNextRead)
{
    fake_bus.add(0, 1, config_with_ids(0x1C7B, 0x0E27));
    fake_bus.add(0, 2, config_with_ids(0x1C7B, 0x0E26));
    scan_cards(UniDrv_Open(0), table);
    ASSERT_EQ(table.count, 1);
    EXPECT_EQ(table.records[0].slot, 2);
    EXPECT_EQ(header_u16(table.records[0].header, 2), 0x0E26);
    // The record after the last card holds whatever the last read left.
    EXPECT_EQ(header_u16(table.records[1].header, 0), 0xFFFF);
}

TEST_F(CardScan, StopsProbingOnceTheTableIsFull)
{
    for (int bus = 0; bus < 8; bus++)
        for (int slot = 0; slot < 32; slot++)
            fake_bus.add(bus, slot, config_with_ids(0x1C7B, 0x0E26));
    scan_cards(UniDrv_Open(0), table);
    EXPECT_EQ(table.count, CARD_TABLE_SIZE);
    EXPECT_EQ(reads(), CARD_TABLE_SIZE);
    // The 200th probe, bus 6 slot 7, gave the last card.
    const CardRecord &last = table.records[last_card_index(table)];
    EXPECT_EQ(last.bus, 199 / 32);
    EXPECT_EQ(slot_address(last.bus, last.slot).devfn, (199 % 32) << 3);
}
