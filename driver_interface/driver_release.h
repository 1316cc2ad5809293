// Gives a driver handle back on Linux, where there is no CloseHandle: the
// stand-in exports this beside the four calls.
#ifndef DRIVER_RELEASE_H
#define DRIVER_RELEASE_H

#include "driver_interface.h"

extern "C" void ondrel_release(UniDrvHandle handle);

#endif
