#include "fake_driver.h"

#include <stdio.h>
#include <string.h>

FakeBus fake_bus;

ConfigSpace config_with_ids(uint16_t vendor, uint16_t device)
{
    ConfigSpace config{};
    config[0] = (uint8_t)vendor;
    config[1] = (uint8_t)(vendor >> 8);
    config[2] = (uint8_t)device;
    config[3] = (uint8_t)(device >> 8);
    return config;
}

void set_u32(ConfigSpace &config, unsigned offset, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        config[offset + i] = (uint8_t)(value >> (8 * i));
}

static std::string slot_name(const SlotAddress *slot)
{
    char name[16];
    snprintf(name, sizeof name, "%02x:%02x.%d", slot->bus, slot->devfn >> 3, slot->devfn & 7);
    return name;
}

extern "C" {

UniDrvHandle UniDrv_Open(uint32_t) { return (UniDrvHandle)&fake_bus; }

uint32_t UniDrv_PCI_ReadCfgSpace(UniDrvHandle, SlotAddress *slot, uint8_t *config)
{
    fake_bus.calls.push_back("read " + slot_name(slot));
    auto found = fake_bus.functions.find({ slot->bus, slot->devfn });
    if (found == fake_bus.functions.end()) {
        memset(config, 0xFF, CONFIG_SPACE_SIZE);
        return 1;
    }
    memcpy(config, found->second.data(), CONFIG_SPACE_SIZE);
    return 0;
}

uint32_t UniDrv_PCI_GetStatus(UniDrvHandle, PciStatus *status)
{
    fake_bus.calls.push_back("status");
    memset(status, 0x5A, 256);  // a library whose record fills the room velmorix promises
    return fake_bus.bios_absent ? 1 : 0;
}

uint32_t UniDrv_PCI_WriteCfgData(UniDrvHandle, SlotAddress *slot, uint32_t offset, uint32_t count,
                                 const void *data)
{
    char text[64];
    snprintf(text, sizeof text, " 0x%02x %u", (unsigned)offset, (unsigned)count);
    std::string call = "write " + slot_name(slot) + text;
    const uint8_t *bytes = (const uint8_t *)data;
    for (uint32_t i = 0; i < count; i++) {
        snprintf(text, sizeof text, " %02x", bytes[i]);
        call += text;
    }
    fake_bus.calls.push_back(call);
    auto found = fake_bus.functions.find({ slot->bus, slot->devfn });
    if (found == fake_bus.functions.end())
        return 0;
    for (uint32_t i = 0; i < count; i++) {
        unsigned at = offset + i, shift = 8 * (at - BAR2_OFFSET);
        uint8_t kept = at >= BAR2_OFFSET && at < BAR2_OFFSET + 4 ? (uint8_t)(fake_bus.bar2_kept >> shift) : 0;
        found->second[at] = (uint8_t)((found->second[at] & kept) | (bytes[i] & ~kept));
    }
    return count;
}
}
