// The scan must allocate nothing: every allocation in this process is
// counted, through malloc and operator new alike, while it runs.
#include <gtest/gtest.h>
#include <stddef.h>
#include <string.h>

#include <new>

#include "card_scan.h"

extern "C" void *__libc_malloc(size_t);
extern "C" void *__libc_calloc(size_t, size_t);
extern "C" void *__libc_realloc(void *, size_t);
extern "C" void __libc_free(void *);

static volatile long allocations = 0;

extern "C" void *malloc(size_t size)
{
    allocations = allocations + 1;
    return __libc_malloc(size);
}
extern "C" void *calloc(size_t count, size_t size)
{
    allocations = allocations + 1;
    return __libc_calloc(count, size);
}
extern "C" void *realloc(void *p, size_t size)
{
    allocations = allocations + 1;
    return __libc_realloc(p, size);
}
extern "C" void free(void *p) { __libc_free(p); }

void *operator new(size_t size)
{
    allocations = allocations + 1;
    if (void *p = __libc_malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { __libc_free(p); }
void operator delete(void *p, size_t) noexcept { __libc_free(p); }

// A bus of static bytes: one card per bus, so the table fills a little.
extern "C" {
UniDrvHandle UniDrv_Open(uint32_t) { return nullptr; }
uint32_t UniDrv_PCI_ReadCfgSpace(UniDrvHandle, SlotAddress *slot, uint8_t *config)
{
    memset(config, 0xFF, CONFIG_SPACE_SIZE);
    if (slot->devfn != 9 << 3)
        return 1;
    static const uint8_t card_ids[4] = { 0x7B, 0x1C, 0x26, 0x0E };
    memcpy(config, card_ids, sizeof card_ids);
    return 0;
}
uint32_t UniDrv_PCI_GetStatus(UniDrvHandle, PciStatus *) { return 0; }
uint32_t UniDrv_PCI_WriteCfgData(UniDrvHandle, SlotAddress *, uint32_t, uint32_t count, const void *)
{
    return count;
}
}

TEST(ScanAllocation, TheScanAllocatesNothing)
{
    long before = allocations;
    static void *volatile probe;
    probe = malloc(16);  // proves the counter sees allocations at all
    free(probe);
    ASSERT_EQ(allocations, before + 1);

    before = allocations;
    static CardTable table;
    scan_cards(UniDrv_Open(0), table);
    long during = allocations - before;

    EXPECT_EQ(table.count, SCAN_BUSES);
    EXPECT_EQ(during, 0);
}
