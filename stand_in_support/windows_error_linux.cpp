// errno values onto the codes of winerror.h, for the stand-ins' file calls.
#include "windows_error.h"

#include <errno.h>
#include <sys/stat.h>

#include "durable_file.h"

namespace {

struct ErrorPair {
    int errno_value;
    long windows_code;
};

// A table, aligned by column: the first match wins.
// clang-format off
const ErrorPair error_table[] = {
    { ENOTDIR,      3    },  // ERROR_PATH_NOT_FOUND: a folder on the way is a file
    { EACCES,       5    },  // ERROR_ACCESS_DENIED
    { EPERM,        5    },
    { EISDIR,       5    },  // a folder where a file should be, as Windows refuses it
    { EINVAL,       5    },  // no regular file (a device, a FIFO)
    { ENOMEM,       8    },  // ERROR_NOT_ENOUGH_MEMORY
    { EROFS,        19   },  // ERROR_WRITE_PROTECT
    { ENOSPC,       112  },  // ERROR_DISK_FULL
    { EDQUOT,       112  },
    { ENAMETOOLONG, 206  },  // ERROR_FILENAME_EXCED_RANGE
    { ELOOP,        1921 },  // ERROR_CANT_RESOLVE_FILENAME
    { ENOLINK,      1921 },  // a symbolic link to nothing
};
// clang-format on

}  // namespace

long windows_error(int errno_value, const std::string &path)
{
    if (errno_value == ENOENT) {
        struct stat st;
        bool folder_there = stat(folder_of(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        return folder_there ? 2 : 3;
    }
    for (const ErrorPair &pair : error_table)
        if (pair.errno_value == errno_value)
            return pair.windows_code;
    return 31;
}
