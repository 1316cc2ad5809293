// The move of the last card's I/O window.
#ifndef VELMORIX_BASE_REWRITE_H
#define VELMORIX_BASE_REWRITE_H

#include <stdint.h>

#include "card_scan.h"

enum RewriteResult {
    REWRITE_DONE,
    PCI_BIOS_ABSENT,  // said so, wrote nothing
    CARD_NOT_MOVED,   // listed, then said so: register 2 does not read back as written
};

// Moves the last card in the table to port_base, reads its header back into
// its record and lists it as it now stands. The table holds at least one card.
// Register 2 must then read back as written (port base plus one); when it
// does not, or the read-back fails, one line on standard error names both.
RewriteResult rewrite_base_address(UniDrvHandle handle, CardTable &table, uint32_t port_base);

#endif
