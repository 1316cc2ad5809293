// Gives a driver handle back on Linux, where there is no CloseHandle.
#ifndef ONDREL_RELEASE_H
#define ONDREL_RELEASE_H

#include "driver_interface.h"

extern "C" void ondrel_release(UniDrvHandle handle);

#endif
