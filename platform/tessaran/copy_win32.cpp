// The component copy on Windows: CopyFileA, replacing an existing copy.
#include <windows.h>

#include "tessaran_platform.h"

long copy_file_replacing(const char *source, const char *destination)
{
    return CopyFileA(source, destination, FALSE) ? 0 : (long)GetLastError();
}
