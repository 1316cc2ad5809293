// A driver library over an in-memory bus that records every call.
#ifndef FAKE_DRIVER_H
#define FAKE_DRIVER_H

#include <stdint.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "card_scan.h"

using ConfigSpace = std::array<uint8_t, CONFIG_SPACE_SIZE>;

struct FakeBus {
    std::map<std::pair<int, int>, ConfigSpace> functions;  // (bus, devfn) -> bytes
    bool bios_absent = false;
    uint32_t bar2_kept = 0;          // bits of register 2 a write leaves as they are
    std::vector<std::string> calls;  // "read 01:09.0", "status", "write 01:09.0 0x18 4 41 03 00 00"

    void add(int bus, int slot, const ConfigSpace &config) { functions[{ bus, slot << 3 }] = config; }
};

extern FakeBus fake_bus;

// A configuration space with the given IDs; every other byte zero.
ConfigSpace config_with_ids(uint16_t vendor, uint16_t device);
void set_u32(ConfigSpace &config, unsigned offset, uint32_t value);

#endif
