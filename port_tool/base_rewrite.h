// The move of the last card's I/O window.
#ifndef VELMORIX_BASE_REWRITE_H
#define VELMORIX_BASE_REWRITE_H

#include <stdint.h>

#include "card_scan.h"

enum RewriteResult {
    REWRITE_DONE,
    PCI_BIOS_ABSENT,  // said so, wrote nothing
};

// Moves the last card in the table to port_base, reads its header back into
// its record and lists it as it now stands. The table holds at least one card.
RewriteResult rewrite_base_address(UniDrvHandle handle, CardTable &table, uint32_t port_base);

#endif
