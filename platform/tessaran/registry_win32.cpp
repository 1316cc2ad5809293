// The registry calls tessaran makes, straight onto the Windows registry.
#include <windows.h>

#include "tessaran_platform.h"

// The root by name, as the Linux twin does; null for a value outside the enum.
static HKEY root_key(RegistryRoot root)
{
    switch (root) {
    case ROOT_LOCAL_MACHINE:
        return HKEY_LOCAL_MACHINE;
    case ROOT_CLASSES_ROOT:
        return HKEY_CLASSES_ROOT;
    }
    return NULL;
}

long registry_create_key(RegistryRoot root, const char *sub_key, RegistryKey *key)
{
    HKEY root_handle = root_key(root);
    if (!root_handle)
        return ERROR_INVALID_PARAMETER;  // what the Linux stand-in answers
    HKEY created;
    LONG result = RegCreateKeyA(root_handle, sub_key, &created);
    if (result == ERROR_SUCCESS)
        *key = created;
    return result;
}

long registry_set_string(RegistryKey key, const char *name, const char *data, uint32_t byte_count)
{
    return RegSetValueExA(static_cast<HKEY>(key), name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data),
                          byte_count);
}

long registry_query_value(RegistryKey key, const char *name, char *buffer, uint32_t *size)
{
    DWORD bytes = *size;
    LONG result =
        RegQueryValueExA(static_cast<HKEY>(key), name, NULL, NULL, reinterpret_cast<BYTE *>(buffer), &bytes);
    *size = bytes;
    return result;
}

long registry_close_key(RegistryKey key) { return RegCloseKey(static_cast<HKEY>(key)); }
