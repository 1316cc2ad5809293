// The call trace: one line per library call, appended to the file that
// ONDREL_TRACE names and closed before the call returns, so that a crash
// of the process afterwards loses no line (a power loss may: it is not
// flushed to disk).
#ifndef ONDREL_TRACE_H
#define ONDREL_TRACE_H

#include <stdint.h>

struct SlotAddress;

void trace_open(uint32_t selector, bool ok, uint32_t error);
void trace_read(const SlotAddress *slot, bool ok, const uint8_t *config);
void trace_status(bool ok);
void trace_write(const SlotAddress *slot, uint32_t offset, uint32_t count, const uint8_t *data,
                 uint32_t written);
void trace_close(void);

#endif
