// A PCI function's configuration space as velmorix and the driver library
// stand-in see it: its size, the header fields read, and their values.
#ifndef PCI_CONFIG_SPACE_H
#define PCI_CONFIG_SPACE_H

#include <stdint.h>

enum {
    CONFIG_SPACE_SIZE = 256,  // what one read fills; no write reaches past it

    VENDOR_ID_OFFSET = 0x00,
    DEVICE_ID_OFFSET = 0x02,
    FIRST_BAR_OFFSET = 0x10,  // six 32-bit base address registers, 0x10 to 0x24
    BAR_COUNT = 6,
    BAR2_OFFSET = FIRST_BAR_OFFSET + 2 * 4,
    INTERRUPT_LINE_OFFSET = 0x3C,
};

// Little-endian fields; the field must lie within the configuration space.
inline uint16_t header_u16(const uint8_t *header, unsigned offset)
{
    return (uint16_t)(header[offset] | header[offset + 1] << 8);
}

inline uint32_t header_u32(const uint8_t *header, unsigned offset)
{
    return (uint32_t)header_u16(header, offset) | (uint32_t)header_u16(header, offset + 2) << 16;
}

#endif
