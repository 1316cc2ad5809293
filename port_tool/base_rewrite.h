#ifndef VELMORIX_BASE_REWRITE_H
#define VELMORIX_BASE_REWRITE_H

#include <stdint.h>

#include "driver_interface.h"

// Moves the last card found to port_base and lists it as it now stands.
// Ends the process with status -1 when the PCI BIOS is absent.
void rewrite_base_address(UniDrvHandle handle, uint32_t port_base);

#endif
