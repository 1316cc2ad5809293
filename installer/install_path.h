// The host's install path and the paths built from it.
#ifndef TESSARAN_INSTALL_PATH_H
#define TESSARAN_INSTALL_PATH_H

#include <initializer_list>

// One path buffer, terminator included; each procedure that needs one has its own.
enum { INSTALL_PATH_SIZE = 256 };

// The host's key under HKEY_LOCAL_MACHINE, which holds the install path.
#define HOST_KEY "SOFTWARE\\Analog Devices\\VisualDSP++ 4.0"

// Fills path with the host's "Install Path" registry value, terminated.
// 0 on success; -1 after printing why not, also when the value is empty
// (no bytes, or a NUL first, whatever its type).
int lookup_install_path(char path[INSTALL_PATH_SIZE]);

// Nonzero when the path ends in a folder separator.
int install_path_ends_in_separator(const char *path);

// Appends the pieces in order, all or none. When they do not fit, prints
// so, leaves path as it was and returns -1; otherwise 0.
int append_to_install_path(char path[INSTALL_PATH_SIZE], std::initializer_list<const char *> pieces);

#endif
