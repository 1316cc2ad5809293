// What the library needs from the operating system, one file per platform.
#ifndef ONDREL_OS_SERVICES_H
#define ONDREL_OS_SERVICES_H

#include <stdint.h>

#include <functional>
#include <string>

// Same code on every platform (Windows' ERROR_INVALID_DATA), so that a
// malformed bus file reports alike everywhere.
enum { ONDREL_ERROR_INVALID_DATA = 13 };

// The code the system uses for running out of memory.
uint32_t out_of_memory_error(void);

// Sets the system's last-error value that the caller reads after a failed open.
void set_last_error(uint32_t code);

// Reads a whole file in binary; 0, or the system's error code.
uint32_t read_whole_file(const char *path, std::string &bytes);

// Reads the file again, holding it against other writers, lets change()
// turn its bytes into the new ones, and replaces it with them all at once:
// a temporary file beside it, flushed to disk, renamed over it. A symbolic
// link is followed and stays. 0, change()'s own nonzero code, or the
// system's error code.
uint32_t update_whole_file(const char *path, const std::function<uint32_t(std::string &bytes)> &change);

#endif
