// The cards as velmorix lists them.
#ifndef VELMORIX_CARD_LISTING_H
#define VELMORIX_CARD_LISTING_H

#include <stdint.h>

#include "card_scan.h"

// Prints one card's block: bus, slot, IDs, base address registers and
// interrupt line. Prints nothing for a header without the card's vendor ID.
void print_card_listing(int32_t number, int32_t slot, int32_t bus, const uint8_t *header);

// Lists every card in the table, numbered from 1 in scan order.
void list_cards(const CardTable &table);

#endif
