// Registers the Tarnwick platform type with the host and the component as
// an in-process COM server. Each key is released within its own step;
// nothing written by an earlier step is taken back.
#include "registration.h"

#include <stdio.h>
#include <string.h>

#include "install_path.h"
#include "tessaran_platform.h"

static const char platform_type_key[] = HOST_KEY "\\Targets\\Platform Types\\Tarnwick";

struct PlatformTypeValue {
    const char *name;
    const char *data;
};

// A table, aligned by column.
// clang-format off
static const PlatformTypeValue platform_type_values[] = {
    { "DESCRIPTION", "Tarnwick emulator connected to JTAG Target board" },
    { "ADDRESS0",    "Base Address" },
    { "CLSID",       KULVASPE_CLSID },
};
// clang-format on

// The keys under HKEY_CLASSES_ROOT whose default value is set, in order.
// Messages name a key with its root in front, except the component's own
// key: that one bare, and its default by the component's file name.
struct ClassKey {
    const char *sub_key;
    const char *data;  // null: the component's path
    bool named_with_root;
    const char *default_named;  // null: as the key is named
};

static const char classes_root_name[] = "HKEY_CLASSES_ROOT\\";

// A table, aligned by column.
// clang-format off
static const ClassKey class_keys[] = {
    { KULVASPE_PROGID "\\CLSID",                   KULVASPE_CLSID,                              true,  nullptr },
    { KULVASPE_PROGID,                             "VisualDSP SHARC Emulator Target Component", true,  nullptr },
    { "CLSID\\" KULVASPE_CLSID "\\InprocServer32", nullptr,                                     false, "KULVASPE.DLL" },
};
// clang-format on

static long set_string(RegistryKey key, const char *name, const char *data)
{
    return registry_set_string(key, name, data, (uint32_t)strlen(data) + 1);
}

static int register_platform_type(void)
{
    RegistryKey key;
    if (registry_create_key(ROOT_LOCAL_MACHINE, platform_type_key, &key) != 0) {
        printf("ERROR: Can't create registry key %s\n", platform_type_key);
        return -1;
    }
    for (const PlatformTypeValue &value : platform_type_values) {
        if (set_string(key, value.name, value.data) != 0) {
            printf("ERROR: Can't create registry key %s\n", value.name);
            registry_close_key(key);
            return -1;
        }
    }
    registry_close_key(key);
    return 0;
}

static int set_class_default(const ClassKey &entry, const char *component_path)
{
    const char *root = entry.named_with_root ? classes_root_name : "";
    RegistryKey key;
    if (registry_create_key(ROOT_CLASSES_ROOT, entry.sub_key, &key) != 0) {
        printf("ERROR: Can't create registry key %s%s\n", root, entry.sub_key);
        return -1;
    }
    long result = set_string(key, "", entry.data ? entry.data : component_path);
    registry_close_key(key);
    if (result != 0) {
        if (entry.default_named)
            printf("ERROR: Can't create registry key default for %s\n", entry.default_named);
        else
            printf("ERROR: Can't create registry key default for %s%s\n", root, entry.sub_key);
        return -1;
    }
    return 0;
}

// The component's path in the host's system folder, with exactly one
// separator after the install path whether or not the value ends in one.
static int build_component_path(char path[INSTALL_PATH_SIZE])
{
    const char *separator = install_path_ends_in_separator(path) ? "" : "\\";
    return append_to_install_path(path, { separator, "system", "\\kulvaspe.dll" });
}

int register_with_host(void)
{
    char component_path[INSTALL_PATH_SIZE];

    if (register_platform_type() != 0)
        return -1;
    if (lookup_install_path(component_path) != 0)
        return -1;
    if (build_component_path(component_path) != 0)
        return -1;
    for (const ClassKey &entry : class_keys) {
        if (set_class_default(entry, component_path) != 0)
            return -1;
    }
    return 0;
}
