// The move of the last card's I/O window: base address register 2 rewritten.
#include <stdio.h>

#include "base_rewrite.h"
#include "card_listing.h"

RewriteResult rewrite_base_address(UniDrvHandle handle, CardTable &table, uint32_t port_base)
{
    PciStatusRoom status = {};
    if (UniDrv_PCI_GetStatus(handle, &status.record) != 0) {
        printf("\n*** PCI BIOS not present!");
        return PCI_BIOS_ABSENT;
    }

    int32_t last = last_card_index(table);
    CardRecord *record = &table.records[last];
    SlotAddress address = slot_address(record->bus, record->slot);

    // Port base plus one: bit 0 marks the register as I/O space.
    uint32_t value = port_base + 1;
    uint8_t bytes[4] = { (uint8_t)value, (uint8_t)(value >> 8), (uint8_t)(value >> 16),
                         (uint8_t)(value >> 24) };
    UniDrv_PCI_WriteCfgData(handle, &address, BAR2_OFFSET, sizeof bytes, bytes);
    UniDrv_PCI_ReadCfgSpace(handle, &address, record->header);

    printf("\n - - - New Base Addresses: ");
    print_card_listing(last + 1, record->slot, record->bus, record->header);
    return REWRITE_DONE;
}
