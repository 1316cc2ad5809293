// The registry calls tessaran makes, straight onto the Windows registry.
#include <windows.h>

#include "tessaran_platform.h"

static HKEY root_key(RegistryRoot root)
{
    static const HKEY roots[] = {
        /* ROOT_LOCAL_MACHINE */ HKEY_LOCAL_MACHINE,
        /* ROOT_CLASSES_ROOT  */ HKEY_CLASSES_ROOT,
    };
    return roots[root];
}

long registry_create_key(RegistryRoot root, const char *sub_key, RegistryKey *key)
{
    HKEY created;
    LONG result = RegCreateKeyA(root_key(root), sub_key, &created);
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
