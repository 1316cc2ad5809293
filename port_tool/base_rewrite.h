#ifndef VELMORIX_BASE_REWRITE_H
#define VELMORIX_BASE_REWRITE_H

#include <stdint.h>

#include "driver_interface.h"

enum RewriteResult {
    REWRITE_DONE,
    PCI_BIOS_ABSENT,  // said so, wrote nothing
};

// Moves the last card found to port_base and lists it as it now stands.
RewriteResult rewrite_base_address(UniDrvHandle handle, uint32_t port_base);

#endif
