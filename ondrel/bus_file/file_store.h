// Where a bus file is kept: whole-file reads and all-or-nothing replacement,
// one file per platform.
#ifndef ONDREL_FILE_STORE_H
#define ONDREL_FILE_STORE_H

#include <stdint.h>

#include <functional>
#include <string>

// Reads a whole file in binary; 0, or the Windows error code of the failure
// (on Linux as windows_error.h maps it).
uint32_t read_whole_file(const char *path, std::string &bytes);

// Reads the file again, lets change() turn its bytes into the new ones,
// and replaces it with them all at once: a temporary file beside it,
// flushed to disk, renamed over it. 0 once renamed, change()'s own nonzero
// code, or the Windows error code with the file as it was: 5 for a file the
// caller may not write, as Windows refuses a read-only file.
// On Linux the file is held against other writers throughout, keeps its
// mode, owner and group (a caller that may not give the new file the old
// owner or group is refused, 5), a symbolic link is followed and stays, and
// a folder that cannot be flushed after the rename is only a warning on
// standard error. The Windows build, for tests
// run one at a time, takes no lock and replaces a link named by path with
// the new file.
uint32_t update_whole_file(const char *path, const std::function<uint32_t(std::string &bytes)> &change);

#endif
