// The system side of the driver handle on Linux: errno and the stand-in's release.
#include <errno.h>

#include "driver_release.h"
#include "velmorix_platform.h"

uint32_t velmorix_last_error(void) { return (uint32_t)errno; }

void velmorix_release_handle(UniDrvHandle handle) { ondrel_release(handle); }
