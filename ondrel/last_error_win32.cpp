// The last error on Windows is the thread's own, which velmorix reads with
// GetLastError after a failed open.
#include <windows.h>

#include "last_error.h"

uint32_t out_of_memory_error(void) { return ERROR_NOT_ENOUGH_MEMORY; }

void set_last_error(uint32_t code) { SetLastError(code); }
