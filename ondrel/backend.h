// One way of reaching PCI configuration space. The library picks the first
// backend in its table that the environment asks for, once per open.
#ifndef ONDREL_BACKEND_H
#define ONDREL_BACKEND_H

#include <stdint.h>

#include "pci_config_space.h"

struct BusBackend {
    bool (*wanted)(void);
    // The backend's state for one handle, or null with *error set.
    void *(*open)(uint32_t *error);
    // 0 when config holds the function's bytes; the caller has filled it with
    // 0xFF first, so a short read leaves the rest as an absent function reads.
    int (*read)(void *bus, unsigned bus_number, unsigned devfn, uint8_t *config);
    // 0 when the configuration mechanism is present.
    int (*status)(void *bus);
    // Bytes written; offset + count never exceeds CONFIG_SPACE_SIZE.
    uint32_t (*write)(void *bus, unsigned bus_number, unsigned devfn, unsigned offset, unsigned count,
                      const uint8_t *data);
    void (*close)(void *bus);
};

extern const BusBackend sim_backend;     // a bus file named by ONDREL_SIM
extern const BusBackend native_backend;  // the machine's own bus, if the platform has one

#endif
