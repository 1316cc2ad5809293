// The cards as velmorix lists them.
#include <stdio.h>

#include "card_listing.h"

static void print_base_address_register(uint32_t value)
{
    if (value & 1)
        printf(" IO-0x%08X", (unsigned)(value & ~1u));
    else
        printf("  M-0x%08X", (unsigned)value);  // type and prefetch bits as read
}

void print_card_listing(int32_t number, int32_t slot, int32_t bus, const uint8_t *header)
{
    uint16_t vendor = header_u16(header, VENDOR_ID_OFFSET);
    if (vendor != CARD_VENDOR_ID)
        return;
    uint16_t device = header_u16(header, DEVICE_ID_OFFSET);

    printf("\n%d. Bus %d, Slot %d: Device ID - %lX, Vendor ID - %lX\n", (int)number, (int)bus, (int)slot,
           (unsigned long)device, (unsigned long)vendor);
    printf("BADR:");
    for (unsigned i = 0; i < BAR_COUNT; i++) {
        uint32_t value = header_u32(header, FIRST_BAR_OFFSET + 4 * i);
        if (value != 0)
            print_base_address_register(value);
    }
    printf("\nINTLN - %02d\n", (int)header[INTERRUPT_LINE_OFFSET]);
    printf("  --------------------------------------------------------------------------");
}

void list_cards(const CardTable &table)
{
    for (int32_t i = 0; i < table.count; i++) {
        const CardRecord &record = table.records[i];
        print_card_listing(i + 1, record.slot, record.bus, record.header);
    }
}
