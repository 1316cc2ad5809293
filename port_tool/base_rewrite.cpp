// The move of the last card's I/O window: base address register 2 rewritten,
// then read back to tell whether the card took it.
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
    // The write's return value is not relied on: the card's register, read
    // back, is what tells whether the card moved.
    UniDrv_PCI_WriteCfgData(handle, &address, BAR2_OFFSET, sizeof bytes, bytes);
    bool read_back = UniDrv_PCI_ReadCfgSpace(handle, &address, record->header) == 0;

    printf("\n - - - New Base Addresses: ");
    print_card_listing(last + 1, record->slot, record->bus, record->header);

    // A card hardwires the low bits of its window and a driver may drop the
    // write; either way the window is not where the user asked, and a
    // start-up task sees only the status.
    uint32_t now = header_u32(record->header, BAR2_OFFSET);
    if (read_back && now == value)
        return REWRITE_DONE;
    fflush(stdout);
    fprintf(stderr, "\n*** Card not moved: base address register 2 reads 0x%08X, 0x%08X was written\n",
            (unsigned)now, (unsigned)value);
    return CARD_NOT_MOVED;
}
