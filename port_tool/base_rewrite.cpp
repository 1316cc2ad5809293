#include <stdio.h>

#include "base_rewrite.h"
#include "card_listing.h"
#include "card_table.h"

RewriteResult rewrite_base_address(UniDrvHandle handle, uint32_t port_base)
{
    PciStatus status;
    if (UniDrv_PCI_GetStatus(handle, &status) != 0) {
        printf("\n*** PCI BIOS not present!");
        return PCI_BIOS_ABSENT;
    }

    // Port base plus one: bit 0 marks the register as I/O space.
    uint32_t value = port_base + 1;
    uint8_t bytes[4] = {(uint8_t)value, (uint8_t)(value >> 8), (uint8_t)(value >> 16),
                        (uint8_t)(value >> 24)};
    UniDrv_PCI_WriteCfgData(handle, &last_card, BAR2_OFFSET, sizeof bytes, bytes);

    CardRecord *record = &card_table[card_count - 1];
    UniDrv_PCI_ReadCfgSpace(handle, &last_card, record->header);

    printf("\n - - - New Base Addresses: ");
    print_card_listing(card_count, record->slot, record->bus, record->header);
    return REWRITE_DONE;
}
