// The four UniDrv_* calls and the Linux handle release: check the handle,
// hand the work to the backend chosen at open, trace every call.
#include <string.h>

#include <new>

#include "backend.h"
#include "driver_interface.h"
#include "driver_release.h"
#include "last_error.h"
#include "trace.h"

namespace {

// First match wins: a bus file when one is named, else the machine's bus.
const BusBackend *const backend_table[] = { &sim_backend, &native_backend };

const uint32_t HANDLE_MAGIC = 0x4f4e4452;  // "ONDR"

struct DriverHandle {
    uint32_t magic;
    const BusBackend *backend;
    void *bus;
};

DriverHandle *valid_handle(UniDrvHandle handle)
{
    if (!handle || handle == UNIDRV_INVALID_HANDLE)
        return nullptr;
    DriverHandle *driver = static_cast<DriverHandle *>(handle);
    return driver->magic == HANDLE_MAGIC ? driver : nullptr;
}

// The handle alone, allocated here and nowhere else: a run that ends early
// leaves it to process exit, as Windows programs leave their handles, and
// the leak checker of the test builds is told to let this one allocation go.
DriverHandle *new_driver_handle(const BusBackend *backend, void *bus)
{
    return new DriverHandle{ HANDLE_MAGIC, backend, bus };
}

UniDrvHandle open_bus(uint32_t *error)
{
    const BusBackend *backend = nullptr;
    for (const BusBackend *b : backend_table)
        if (!backend && b->wanted())
            backend = b;
    try {
        void *bus = backend->open(error);
        if (!bus)
            return UNIDRV_INVALID_HANDLE;
        return new_driver_handle(backend, bus);
    } catch (const std::bad_alloc &) {
        *error = out_of_memory_error();
        return UNIDRV_INVALID_HANDLE;
    }
}

}  // namespace

extern "C" {

ONDREL_EXPORT UniDrvHandle UNIDRV_CALL UniDrv_Open(uint32_t selector)
{
    uint32_t error = 0;
    UniDrvHandle handle = open_bus(&error);
    trace_open(selector, handle != UNIDRV_INVALID_HANDLE, error);
    // Last, so that nothing in between can change it.
    if (handle == UNIDRV_INVALID_HANDLE)
        set_last_error(error);
    return handle;
}

ONDREL_EXPORT uint32_t UNIDRV_CALL UniDrv_PCI_ReadCfgSpace(UniDrvHandle handle, SlotAddress *slot,
                                                           uint8_t *config)
{
    DriverHandle *driver = valid_handle(handle);
    if (!config) {
        trace_read(slot, false, nullptr);
        return 1;
    }
    // An absent function answers all ones, and so does any byte not read.
    memset(config, 0xFF, CONFIG_SPACE_SIZE);
    int failed = !driver || !slot || driver->backend->read(driver->bus, slot->bus, slot->devfn, config);
    if (failed)
        memset(config, 0xFF, CONFIG_SPACE_SIZE);
    trace_read(slot, !failed, config);
    return failed ? 1 : 0;
}

ONDREL_EXPORT uint32_t UNIDRV_CALL UniDrv_PCI_GetStatus(UniDrvHandle handle, PciStatus *status)
{
    DriverHandle *driver = valid_handle(handle);
    if (status)
        memset(status, 0, sizeof *status);
    int absent = !driver || driver->backend->status(driver->bus);
    trace_status(!absent);
    return absent ? 1 : 0;
}

ONDREL_EXPORT uint32_t UNIDRV_CALL UniDrv_PCI_WriteCfgData(UniDrvHandle handle, SlotAddress *slot,
                                                           uint32_t offset, uint32_t count, const void *data)
{
    DriverHandle *driver = valid_handle(handle);
    const uint8_t *bytes = static_cast<const uint8_t *>(data);
    uint32_t written = 0;
    // Bytes past the end of configuration space are dropped, as the bus does.
    if (driver && slot && bytes && offset < CONFIG_SPACE_SIZE) {
        uint32_t fitting = count < CONFIG_SPACE_SIZE - offset ? count : CONFIG_SPACE_SIZE - offset;
        try {
            written = driver->backend->write(driver->bus, slot->bus, slot->devfn, offset, fitting, bytes);
        } catch (const std::bad_alloc &) {
            written = 0;
        }
    }
    trace_write(slot, offset, count, bytes, written);
    return written;
}

ONDREL_EXPORT void ondrel_release(UniDrvHandle handle)
{
    if (DriverHandle *driver = valid_handle(handle)) {
        driver->backend->close(driver->bus);
        driver->magic = 0;
        delete driver;
    }
    trace_close();
}

}  // extern "C"
