// The bus file through the stand-ins' durable file writer: under the same
// lock as the registry file, so that two runs on one bus file lose nothing.
#include <errno.h>
#include <stdio.h>

#include "durable_file.h"
#include "file_store.h"

uint32_t read_whole_file(const char *path, std::string &bytes)
{
    std::string what;
    int error = LockedFile().lock_and_read(path, FOR_READING, bytes, what);  // held for the read only
    // A missing file says enough by its code; a link to nothing or to a
    // folder, or something that is no file, needs words.
    if (error == ENOLINK || error == EISDIR || error == EINVAL)
        fprintf(stderr, "ondrel: %s: %s\n", path, what.c_str());
    return (uint32_t)error;
}

uint32_t update_whole_file(const char *path, const std::function<uint32_t(std::string &bytes)> &change)
{
    LockedFile file;
    std::string bytes, what;
    uint32_t error = (uint32_t)file.lock_and_read(path, FOR_CHANGE, bytes, what);
    if (error == 0 && (error = change(bytes)) == 0)
        error = (uint32_t)file.replace(bytes);
    return error;
}
