// tessaran: makes the Tarnwick emulator known to the host IDE, then puts its
// target component into the host's system folder. Takes no arguments.
#include <stdio.h>

#include "component_copy.h"
#include "registration.h"

int main(void)
{
    if (register_with_host() != 0) {
        fputs("ERROR: Can't create registry key for Tarnwick\n", stdout);
        return -1;
    }
    fputs("Created registry keys for Tarnwick\n", stdout);

    if (copy_component() != 0) {
        fputs("ERROR: Can't copy KULVASPE.DLL\n", stdout);
        return -1;
    }
    fputs("Copy KULVASPE.DLL\n", stdout);
    return 0;
}
