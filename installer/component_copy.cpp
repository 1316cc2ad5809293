// Puts kulvaspe.dll, shipped beside the installer and taken from the
// current folder, where the InprocServer32 registration points.
#include "component_copy.h"

#include <stdio.h>

#include "install_path.h"
#include "tessaran_platform.h"

int copy_component(void)
{
    char destination[INSTALL_PATH_SIZE];

    if (lookup_install_path(destination) != 0)
        return -1;
    // Always one backslash of its own: an install path ending in one gives two in a row.
    if (append_to_install_path(destination, { "\\system\\", "kulvaspe.dll" }) != 0)
        return -1;
    if (copy_file_replacing("kulvaspe.dll", destination) != 0) {
        fputs("ERROR: Can't copy file KULVASPE.DLL\n", stdout);
        return -1;
    }
    return 0;
}
