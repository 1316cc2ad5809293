// The system side of the driver handle on Windows.
#include <windows.h>

#include "velmorix_platform.h"

uint32_t velmorix_last_error(void) { return GetLastError(); }

// The result is not examined: the run ends either way. (The test stand-in's
// handle is no kernel handle; CloseHandle refuses it, and that is all.)
void velmorix_release_handle(UniDrvHandle handle) { CloseHandle(handle); }
