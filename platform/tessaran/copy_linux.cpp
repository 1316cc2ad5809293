// The file copy of the component, as CopyFileA does it: the destination is
// replaced when it is there; a missing source, a missing destination folder
// or a destination that cannot be written make it fail.
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "durable_file.h"
#include "tessaran_platform.h"
#include "windows_error.h"

// A Windows path as the installer builds it, as a Linux path.
static std::string linux_path(const char *windows_path)
{
    std::string path = windows_path;
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

// A destination that is there must be a file we may write: 0, or why not
// as an errno value. A new one needs only its folder, which the write finds out.
static int destination_refusal(const std::string &path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return 0;
    if (!S_ISREG(st.st_mode))
        return EISDIR;
    return access(path.c_str(), W_OK) == 0 ? 0 : errno;
}

long copy_file_replacing(const char *source, const char *destination)
{
    std::string from = linux_path(source), to = linux_path(destination), bytes;
    mode_t mode;
    int error = read_regular_file(from, bytes, &mode);
    if (error != 0)
        return windows_error(error, from);
    error = destination_refusal(to);
    if (error == 0)
        error = write_durably(to, bytes, mode);
    return error == 0 ? 0 : windows_error(error, to);
}
