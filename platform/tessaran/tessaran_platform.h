// What tessaran needs from the operating system, one implementation per platform.
// Every call returns 0 on success and otherwise a Windows system error code
// (winerror.h), as the Windows registry calls do; the Linux stand-ins return
// the same kind of code.
#ifndef TESSARAN_PLATFORM_H
#define TESSARAN_PLATFORM_H

#include <stdint.h>

enum RegistryRoot { ROOT_LOCAL_MACHINE, ROOT_CLASSES_ROOT };

typedef void *RegistryKey;

// Creates the key and every missing key on the way, or opens it.
long registry_create_key(RegistryRoot root, const char *sub_key, RegistryKey *key);

// Sets a string value; the empty name is the key's default value.
// byte_count includes the terminating NUL.
long registry_set_string(RegistryKey key, const char *name, const char *data, uint32_t byte_count);

// Reads a value into buffer; *size is the buffer size in, the bytes stored out.
// Fails when the value is missing or does not fit.
long registry_query_value(RegistryKey key, const char *name, char *buffer, uint32_t *size);

long registry_close_key(RegistryKey key);

// Copies a file, replacing the destination.
long copy_file_replacing(const char *source, const char *destination);

#endif
