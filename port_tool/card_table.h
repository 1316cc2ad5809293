// The cards found on the bus, for the whole run.
#ifndef VELMORIX_CARD_TABLE_H
#define VELMORIX_CARD_TABLE_H

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

extern CardRecord card_table[CARD_TABLE_SIZE];
extern int32_t card_count;
extern SlotAddress last_card;

// Probes function 0 of slots 0-31 on buses 0-7 and records every card.
void scan_cards(UniDrvHandle handle);

#endif
