// The file copy of the component, as CopyFileA does it: the destination is
// replaced when it is there; a missing source, a missing destination folder
// or a destination that cannot be written make it fail.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "durable_file.h"
#include "tessaran_platform.h"

// A Windows path as the installer builds it, as a Linux path.
static std::string linux_path(const char *windows_path)
{
    std::string path = windows_path;
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

// A destination that is there must be a file we may write; a new one needs
// only its folder, which the write finds out.
static bool destination_writable(const std::string &path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return true;
    return S_ISREG(st.st_mode) && access(path.c_str(), W_OK) == 0;
}

int copy_file_replacing(const char *source, const char *destination)
{
    std::string from = linux_path(source), to = linux_path(destination), bytes;
    mode_t mode;
    if (read_regular_file(from, bytes, &mode) != 0 || !destination_writable(to))
        return 0;
    return write_durably(to, bytes, mode) == 0 ? 1 : 0;
}
