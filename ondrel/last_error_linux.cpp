// The last error on Linux is errno, which velmorix reads after a failed open.
#include <errno.h>

#include "last_error.h"

uint32_t out_of_memory_error(void) { return ENOMEM; }

void set_last_error(uint32_t code) { errno = (int)code; }
