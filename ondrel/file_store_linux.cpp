// Whole-file reads and all-or-nothing replacement of the bus file.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "os_services.h"

namespace {

bool write_all(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return false;
        done += (size_t)put;
    }
    return true;
}

std::string folder_of(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename is durable only once the folder that records it is.
bool sync_folder(const std::string &path)
{
    int fd = open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0;
    int error = errno;
    close(fd);
    errno = error;  // the caller reports the fsync's error, not the close's
    return ok;
}

}  // namespace

uint32_t read_whole_file(const char *path, std::string &bytes)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return (uint32_t)errno;
    bytes.clear();
    char chunk[65536];
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            uint32_t error = (uint32_t)errno;
            close(fd);
            return error;
        }
        if (got == 0) break;
        bytes.append(chunk, (size_t)got);
    }
    close(fd);
    return 0;
}

uint32_t replace_file_atomically(const char *path, const std::string &bytes)
{
    struct stat st;
    mode_t mode = stat(path, &st) == 0 ? st.st_mode & 07777 : 0644;
    std::string pattern = std::string(path) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return (uint32_t)errno;
    bool ok = write_all(fd, bytes) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(name.data(), path) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(name.data());
        return (uint32_t)error;
    }
    return sync_folder(path) ? 0 : (uint32_t)errno;
}
