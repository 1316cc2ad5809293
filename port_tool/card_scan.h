// The cards found on the bus, for the whole run, and the scan that finds them.
#ifndef VELMORIX_CARD_SCAN_H
#define VELMORIX_CARD_SCAN_H

#include <stdint.h>

#include "driver_interface.h"

enum {
    CARD_VENDOR_ID = 0x1C7B,
    CARD_DEVICE_ID = 0x0E26,
    CARD_TABLE_SIZE = 200,
    SCAN_BUSES = 8,
    SCAN_SLOTS = 32,
};

struct CardRecord {
    int32_t slot;
    int32_t bus;
    uint8_t header[CONFIG_SPACE_SIZE];
};

// Records fill in scan order, so the last card found is the last record
// filled. No allocation: the run keeps one table in static storage.
struct CardTable {
    CardRecord records[CARD_TABLE_SIZE];
    int32_t count;
};

// Probes function 0 of slots 0-31 on buses 0-7 and records every card in
// the table, which starts empty.
void scan_cards(UniDrvHandle handle, CardTable &table);

// The position of the last card found; the table holds at least one.
inline int32_t last_card_index(const CardTable &table) { return table.count - 1; }

// Function 0 of the slot: devfn is slot << 3, the bus its own byte, every
// other byte zero.
SlotAddress slot_address(int32_t bus, int32_t slot);

#endif
