// The Windows system error code for a failed file operation of a Linux
// stand-in, so that a call shaped after a Windows one fails as it would.
#ifndef STAND_IN_WINDOWS_ERROR_H
#define STAND_IN_WINDOWS_ERROR_H

#include <string>

// The code Windows gives where Linux gave errno_value on path. A missing
// file is ERROR_FILE_NOT_FOUND (2) when its folder is there and
// ERROR_PATH_NOT_FOUND (3) when not; an errno value with no closer match is
// ERROR_GEN_FAILURE (31). Never 0.
long windows_error(int errno_value, const std::string &path);

#endif
