// The scan of the bus for cards, into the card table.
#include <string.h>

#include "card_scan.h"

static bool is_card(const uint8_t *header)
{
    return header_u16(header, VENDOR_ID_OFFSET) == CARD_VENDOR_ID &&
           header_u16(header, DEVICE_ID_OFFSET) == CARD_DEVICE_ID;
}

SlotAddress slot_address(int32_t bus, int32_t slot)
{
    SlotAddress address;
    memset(&address, 0, sizeof address);
    address.devfn = (uint8_t)(slot << 3);
    address.bus = (uint8_t)bus;
    return address;
}

void scan_cards(UniDrvHandle handle, CardTable &table)
{
    for (int32_t bus = 0; bus < SCAN_BUSES; bus++) {
        for (int32_t slot = 0; slot < SCAN_SLOTS; slot++) {
            // A full table has no free record to read into.
            if (table.count == CARD_TABLE_SIZE)
                return;

            SlotAddress address = slot_address(bus, slot);

            // Read into the next free record; it stays free unless a card.
            CardRecord *record = &table.records[table.count];
            if (UniDrv_PCI_ReadCfgSpace(handle, &address, record->header) != 0)
                continue;
            record->slot = slot;
            record->bus = bus;
            if (is_card(record->header))
                table.count++;
        }
    }
}
