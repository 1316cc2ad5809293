// velmorix: finds the emulator adapter card on the PCI bus and moves its
// I/O window to the port base given on the command line.
#include <stdio.h>

#include "base_rewrite.h"
#include "card_listing.h"
#include "card_scan.h"
#include "port_base.h"
#include "usage_screen.h"
#include "velmorix_platform.h"

// Static storage: empty before main runs, as the scan wants it, and never allocated.
static CardTable cards;

int main(int argc, char **argv)
{
    uint32_t port_base = DEFAULT_PORT_BASE;
    if (read_argument(argc > 1 ? argv[1] : nullptr, &port_base) == SHOW_USAGE) {
        show_usage_screen();
        return 0;
    }

    UniDrvHandle handle = UniDrv_Open(0);
    if (handle == UNIDRV_INVALID_HANDLE) {
        fprintf(stderr, "Cannot load driver, error=%08lx\n", (unsigned long)velmorix_last_error());
        return 1;
    }

    scan_cards(handle, cards);
    list_cards(cards);
    if (cards.count == 0)
        return 0;

    RewriteResult moved = rewrite_base_address(handle, cards, port_base);
    if (moved == PCI_BIOS_ABSENT)
        return -1;
    velmorix_release_handle(handle);
    return moved == REWRITE_DONE ? 0 : -1;
}
