// The card maker's driver access library, as velmorix uses it.
// The real library ships with the card; ondrel/ is a stand-in for tests.
#ifndef DRIVER_INTERFACE_H
#define DRIVER_INTERFACE_H

#include <stdint.h>

#include "pci_config_space.h"

// Calling convention of the four imports; the build sets it (CMakeLists.txt).
#ifndef UNIDRV_CALL
#define UNIDRV_CALL
#endif

typedef void *UniDrvHandle;

// What UniDrv_Open returns on failure: every bit set.
#define UNIDRV_INVALID_HANDLE ((UniDrvHandle)(intptr_t)-1)

// Names one PCI function. Only devfn and bus carry meaning; the rest is zero.
struct SlotAddress {
    uint8_t devfn;  // device number << 3 | function number
    uint8_t reserved1[3];
    uint8_t bus;
    uint8_t reserved2[3];
};
static_assert(sizeof(SlotAddress) == 8, "the library expects an 8-byte slot address");

// Filled by UniDrv_PCI_GetStatus; velmorix never looks inside. Its layout
// and size are the card maker's: the stand-in fills the 16 bytes below, and
// a real library may fill more, so callers pass a PciStatusRoom.
struct PciStatus {
    uint32_t words[4];
};

// Room for a status record larger than ours, so that no library writes past it.
enum { PCI_STATUS_ROOM = 256 };
union PciStatusRoom {
    uint8_t room[PCI_STATUS_ROOM];  // first, so that "= {}" zeroes all of it
    PciStatus record;
};

// Read fills config with the function's CONFIG_SPACE_SIZE bytes, nonzero when
// it cannot; GetStatus is nonzero when the PCI BIOS is absent; Write returns
// the bytes written.
extern "C" {
UniDrvHandle UNIDRV_CALL UniDrv_Open(uint32_t selector);
uint32_t UNIDRV_CALL UniDrv_PCI_ReadCfgSpace(UniDrvHandle handle, SlotAddress *slot, uint8_t *config);
uint32_t UNIDRV_CALL UniDrv_PCI_GetStatus(UniDrvHandle handle, PciStatus *status);
uint32_t UNIDRV_CALL UniDrv_PCI_WriteCfgData(UniDrvHandle handle, SlotAddress *slot, uint32_t offset,
                                             uint32_t count, const void *data);
}

#endif
