// Locked reads and durable replacement of the stand-ins' files (Linux): the
// bus file and the registry file both change only through here.
#ifndef STAND_IN_DURABLE_FILE_H
#define STAND_IN_DURABLE_FILE_H

#include <sys/types.h>

#include <string>

// A file taken for a change must be one the caller may write: one it may
// not fails with EACCES (or EROFS, EPERM) although the rename would work.
enum FileAccess {
    FOR_READING,        // shared lock; a missing file fails with ENOENT
    FOR_CHANGE,         // exclusive lock; a missing file fails with ENOENT
    FOR_CHANGE_OR_NEW,  // exclusive lock; a missing file is created empty
};

// A file held under its lock from a successful lock_and_read until the
// object goes out of scope, whichever way the holder leaves. A symbolic
// link is followed to its final target: the target is what is locked and
// replaced, the link stays a link.
class LockedFile {
  public:
    LockedFile() = default;
    LockedFile(const LockedFile &) = delete;
    LockedFile &operator=(const LockedFile &) = delete;
    ~LockedFile() { release(); }

    // Opens path, takes the lock and reads the whole file into bytes,
    // letting go of any file held before. Returns 0, or an errno value with
    // what saying why in words: ENOLINK for a symbolic link to nothing (no
    // file is ever created through one), ELOOP for links in a loop,
    // EISDIR for a folder or a link to one, EINVAL for anything else that
    // is no regular file. On failure nothing is held.
    int lock_and_read(const std::string &path, FileAccess access, std::string &bytes, std::string &what);

    // Replaces the held file's contents: a temporary file beside the target,
    // written, given the file's owner, group and mode, flushed, renamed over
    // the target, and the folder flushed so that the rename survives a power
    // loss. Returns 0 once the rename is made, or an errno value with the
    // target as it was and what saying why in words: EPERM when the caller
    // may not give the new file the old one's owner or group (a file is
    // never handed to someone else). A folder that cannot be flushed after
    // the rename is one warning line on standard error, naming the folder
    // and why, once a run for a folder; the call succeeds.
    int replace(const std::string &bytes, std::string &what) const;

  private:
    void release();

    int fd = -1;
    std::string target;  // the path finally opened
    mode_t mode = 0;     // kept by a replacement, as are owner and group
    uid_t owner = (uid_t)-1;
    gid_t group = (gid_t)-1;
};

// The replacement LockedFile::replace makes, for a file nobody else changes:
// path itself is replaced (no link followed), taking the mode, owner and
// group given; -1 leaves the new file the caller's owner or group.
int write_durably(const std::string &path, const std::string &bytes, mode_t mode, uid_t owner = (uid_t)-1,
                  gid_t group = (gid_t)-1);

// Reads a whole regular file, with its mode. Returns 0 or an errno value;
// *mode is set only on success.
int read_regular_file(const std::string &path, std::string &bytes, mode_t *mode);

// The folder that holds path: "." for a bare name, "/" for one in the root.
std::string folder_of(const std::string &path);

#endif
