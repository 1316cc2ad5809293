// The library's last error, which the caller reads after a failed open: one
// file per platform.
#ifndef ONDREL_LAST_ERROR_H
#define ONDREL_LAST_ERROR_H

#include <stdint.h>

// Same code on every platform (Windows' ERROR_INVALID_DATA), so that a
// malformed bus file reports alike everywhere.
enum { ONDREL_ERROR_INVALID_DATA = 13 };

// The code the system uses for running out of memory.
uint32_t out_of_memory_error(void);

// Sets the system's last-error value that the caller reads after a failed open.
void set_last_error(uint32_t code);

#endif
