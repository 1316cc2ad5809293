// Locked whole-file reads and all-or-nothing, durable replacement, following
// symbolic links so that a change reaches the file the user named.
#include "durable_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

std::string folder_of(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

namespace {

enum { MAX_LINK_HOPS = 40, MAX_RACES = 100 };

int fault(std::string &what, int error, const std::string &words)
{
    what = words;
    return error;
}

// Follows path's links to the file they end at. *exists is false when path
// itself (not a link) names nothing yet.
int resolve(const std::string &path, std::string &target, bool *exists, std::string &what)
{
    std::string p = path;
    for (int hops = 0; hops <= MAX_LINK_HOPS; hops++) {
        struct stat st;
        if (lstat(p.c_str(), &st) != 0) {
            if (errno == ENOENT && hops > 0)
                return fault(what, ENOLINK, "symbolic link to the missing " + p);
            if (errno != ENOENT)
                return fault(what, errno, strerror(errno));
            target = p;
            *exists = false;
            return 0;
        }
        if (S_ISDIR(st.st_mode))
            return fault(what, EISDIR, hops ? "symbolic link to the folder " + p : "is a folder");
        if (!S_ISLNK(st.st_mode) && !S_ISREG(st.st_mode))
            return fault(what, EINVAL, "is not a regular file");
        if (S_ISREG(st.st_mode)) {
            target = p;
            *exists = true;
            return 0;
        }
        std::vector<char> link(PATH_MAX + 1);
        ssize_t length = readlink(p.c_str(), link.data(), PATH_MAX);
        if (length < 0)
            return fault(what, errno, strerror(errno));
        std::string next(link.data(), (size_t)length);
        p = next[0] == '/' ? next : folder_of(p) + "/" + next;
    }
    return fault(what, ELOOP, "symbolic links in a loop (or a chain of more than 40)");
}

bool read_all(int fd, std::string &bytes)
{
    struct stat st;
    bytes.clear();
    if (fstat(fd, &st) == 0 && st.st_size > 0)
        bytes.reserve((size_t)st.st_size);  // a large file is read without copies to grow
    char chunk[65536];
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        bytes.append(chunk, (size_t)got);
    }
}

bool write_all(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return false;
        done += (size_t)put;
    }
    return true;
}

// The rename itself is on disk only once the folder is. By now the change
// is made and every later read sees it, so a folder that cannot be flushed
// is a warning: calling the change failed would make callers keep old
// contents that no file holds any more. A folder that cannot be flushed
// once will not be the next time either: one warning a run says it.
void sync_folder(const std::string &path)
{
    static std::string warned;  // the folder last warned of
    std::string folder = folder_of(path);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int error = fd < 0 ? errno : fsync(fd) == 0 ? 0 : errno;
    if (fd >= 0)
        close(fd);
    if (error != 0 && folder != warned) {
        warned = folder;
        fprintf(stderr, "%s: warning: %s: folder not flushed, the change may not survive a power loss: %s\n",
                program_invocation_short_name, folder.c_str(), strerror(error));
    }
}

// Opens and locks target. Another run may rename a new file over it between
// the open and the lock: then *replaced is set and the caller starts over.
int open_locked(const std::string &target, bool exists, FileAccess access, int *fd_out, bool *replaced,
                std::string &what)
{
    // Never through a link that appeared meanwhile; never waiting on a FIFO.
    // A file to change is opened for writing although only a rename writes
    // it: so the system says whether the caller may (mode, read-only mount),
    // as Windows refuses a read-only file.
    int flags = (access == FOR_READING ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    if (!exists && access == FOR_CHANGE_OR_NEW)
        flags |= O_CREAT;
    int fd = open(target.c_str(), flags, 0666);
    if (fd < 0)
        return fault(what, errno, strerror(errno));
    int lock = access == FOR_READING ? LOCK_SH : LOCK_EX;
    int result;
    while ((result = flock(fd, lock)) != 0 && errno == EINTR) {
    }
    struct stat held, current;
    if (result != 0 || fstat(fd, &held) != 0) {
        int error = errno;
        close(fd);
        return fault(what, error, strerror(error));
    }
    if (!S_ISREG(held.st_mode)) {
        close(fd);
        return fault(what, EINVAL, "is not a regular file");
    }
    *replaced =
        stat(target.c_str(), &current) != 0 || held.st_dev != current.st_dev || held.st_ino != current.st_ino;
    if (*replaced) {
        close(fd);
        return 0;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *fd_out = fd;
    return 0;
}

}  // namespace

int LockedFile::lock_and_read(const std::string &path, FileAccess access, std::string &bytes,
                              std::string &what)
{
    release();
    for (int attempt = 0; attempt < MAX_RACES; attempt++) {
        bool exists = false, replaced = false;
        int opened = -1;
        std::string found;
        int error = resolve(path, found, &exists, what);
        if (error != 0)
            return error;
        error = open_locked(found, exists, access, &opened, &replaced, what);
        // A file that changed under us, or a link that appeared where a file
        // was (ELOOP from the open), is looked at again.
        if (replaced || error == ELOOP)
            continue;
        if (error != 0)
            return error;
        struct stat st;
        if (!read_all(opened, bytes) || fstat(opened, &st) != 0) {
            int read_error = errno;
            close(opened);
            return fault(what, read_error, strerror(read_error));
        }
        fd = opened;
        target = found;
        mode = st.st_mode & 07777;
        owner = st.st_uid;
        group = st.st_gid;
        return 0;
    }
    return fault(what, EAGAIN, "keeps changing while being opened");
}

int LockedFile::replace(const std::string &bytes, std::string &what) const
{
    int error = write_durably(target, bytes, mode, owner, group);
    // The open for writing passed, so EPERM means the new file could not
    // be given this one's owner or group.
    what = error != EPERM ? strerror(error)
                          : "belongs to another user or group than the caller's: a new file may not keep its "
                            "owner and group, so it is left as it was";
    return error;
}

int write_durably(const std::string &path, const std::string &bytes, mode_t mode, uid_t owner, gid_t group)
{
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    // The owner before the mode: a change of owner clears the set-id bits.
    int error =
        write_all(fd, bytes) && fchown(fd, owner, group) == 0 && fchmod(fd, mode) == 0 && fsync(fd) == 0
            ? 0
            : errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(name.data(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(name.data());
        return error;
    }
    sync_folder(path);
    return 0;
}

int read_regular_file(const std::string &path, std::string &bytes, mode_t *mode)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat st;
    int error = fstat(fd, &st) != 0 ? errno : !S_ISREG(st.st_mode) ? EINVAL : read_all(fd, bytes) ? 0 : errno;
    if (error == 0)
        *mode = st.st_mode & 07777;
    close(fd);
    return error;
}

void LockedFile::release()
{
    if (fd >= 0)
        close(fd);  // closing the last descriptor of the open file drops its lock
    fd = -1;
}
