// What velmorix needs from the operating system, one implementation per platform.
// None of these calls fails in a way the program could act on, so none returns a status.
#ifndef VELMORIX_PLATFORM_H
#define VELMORIX_PLATFORM_H

#include <stdint.h>

#include "driver_interface.h"

// Waits for one key press on the console: no echo, no Enter; an extended
// key counts as one key. Returns at once when there is no console. The console's
// settings come back however the wait ends: a key, or a signal from outside
// that ends or stops the program (stopped, it takes them again when continued
// in front). SIGKILL and SIGSTOP are the exceptions: no program can catch them,
// so after those the terminal stays as the wait left it (`stty sane` mends it).
void velmorix_wait_key(void);

// The reason the driver failed to open, as the system reports it.
uint32_t velmorix_last_error(void);

// Gives the driver handle back to the system.
void velmorix_release_handle(UniDrvHandle handle);

#endif
