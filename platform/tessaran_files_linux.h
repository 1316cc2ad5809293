// File helpers for tessaran's Linux stand-ins.
#ifndef TESSARAN_FILES_LINUX_H
#define TESSARAN_FILES_LINUX_H

#include <sys/types.h>

#include <string>

// A Windows path as the installer builds it, as a Linux path: every
// backslash becomes '/'.
std::string linux_path(const char *windows_path);

// Reads the whole of an open file. False with errno set on failure.
bool read_all(int fd, std::string &bytes);

// Replaces path's contents with bytes: a temporary file in the same folder,
// written, flushed to disk, then renamed over path, so that readers see the
// old or the new contents, never a mixture; the folder is flushed too, so
// that the rename survives a power loss. False with errno set on failure:
// path is then as it was, or, when only the folder could not be flushed,
// holds the new contents that may not survive.
bool replace_file(const std::string &path, const std::string &bytes, mode_t mode);

#endif
