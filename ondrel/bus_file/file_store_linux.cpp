// The bus file through the stand-ins' durable file writer: under the same
// lock as the registry file, so that two runs on one bus file lose nothing.
#include <errno.h>
#include <stdio.h>

#include "durable_file.h"
#include "file_store.h"
#include "windows_error.h"

namespace {

// A failure as the Windows build reports it. A missing file or one the
// caller may not write says enough by its code; a link loop, a link to
// nothing or to a folder, something that is no file, or a file that would
// change hands (EPERM) needs words.
uint32_t failure(const char *path, int error, const std::string &what)
{
    if (error == ELOOP || error == ENOLINK || error == EISDIR || error == EINVAL || error == EPERM)
        fprintf(stderr, "ondrel: %s: %s\n", path, what.c_str());
    return (uint32_t)windows_error(error, path);
}

}  // namespace

uint32_t read_whole_file(const char *path, std::string &bytes)
{
    std::string what;
    int error = LockedFile().lock_and_read(path, FOR_READING, bytes, what);  // held for the read only
    return error == 0 ? 0 : failure(path, error, what);
}

uint32_t update_whole_file(const char *path, const std::function<uint32_t(std::string &bytes)> &change)
{
    LockedFile file;
    std::string bytes, what;
    int error = file.lock_and_read(path, FOR_CHANGE, bytes, what);
    if (error != 0)
        return failure(path, error, what);
    if (uint32_t refused = change(bytes))
        return refused;
    error = file.replace(bytes, what);
    return error == 0 ? 0 : failure(path, error, what);
}
