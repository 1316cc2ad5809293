// What the library needs from the operating system, one file per platform.
#ifndef ONDREL_OS_SERVICES_H
#define ONDREL_OS_SERVICES_H

#include <stdint.h>
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

// Replaces the file's contents all at once: a temporary file in the same
// folder, flushed to disk, renamed over the original. 0, or the error code.
uint32_t replace_file_atomically(const char *path, const std::string &bytes);

#endif
