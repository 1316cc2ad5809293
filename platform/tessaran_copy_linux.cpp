// The file copy of the component, as CopyFileA does it: the destination is
// replaced when it is there; a missing source, a missing destination folder
// or a destination that cannot be written make it fail.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tessaran_files_linux.h"
#include "tessaran_platform.h"

static bool read_regular_file(const std::string &path, std::string &bytes, mode_t &mode)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && read_all(fd, bytes);
    mode = st.st_mode & 07777;
    close(fd);
    return ok;
}

// A destination that is there must be a file we may write; a new one needs
// only its folder, which replace_file finds out.
static bool destination_writable(const std::string &path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return true;
    return S_ISREG(st.st_mode) && access(path.c_str(), W_OK) == 0;
}

int copy_file_replacing(const char *source, const char *destination)
{
    std::string from = linux_path(source);
    std::string to = linux_path(destination);
    std::string bytes;
    mode_t mode;
    if (!read_regular_file(from, bytes, mode) || !destination_writable(to))
        return 0;
    return replace_file(to, bytes, mode) ? 1 : 0;
}
