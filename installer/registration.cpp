// Registers the Tarnwick platform type with the host and the component as
// an in-process COM server. Each key is released within its own step;
// nothing written by an earlier step is taken back.
#include "registration.h"

#include <stdio.h>
#include <string.h>

#include "install_path.h"
#include "tessaran_platform.h"

static const char platform_type_key[] =
    "SOFTWARE\\Analog Devices\\VisualDSP++ 4.0\\Targets\\Platform Types\\Tarnwick";

struct PlatformTypeValue {
    const char *name;
    const char *data;
    const char *failure;
};

static const PlatformTypeValue platform_type_values[] = {
    { "DESCRIPTION", "Tarnwick emulator connected to JTAG Target board",
      "ERROR: Can't create registry key DESCRIPTION\n" },
    { "ADDRESS0",    "Base Address",
      "ERROR: Can't create registry key ADDRESS0\n" },
    { "CLSID",       KULVASPE_CLSID,
      "ERROR: Can't create registry key CLSID\n" },
};

static long set_string(RegistryKey key, const char *name, const char *data)
{
    return registry_set_string(key, name, data, (uint32_t)strlen(data) + 1);
}

static int register_platform_type(void)
{
    RegistryKey key;
    if (registry_create_key(ROOT_LOCAL_MACHINE, platform_type_key, &key) != 0) {
        fputs("ERROR: Can't create registry key SOFTWARE\\Analog Devices\\VisualDSP++ 4.0\\Targets\\Platform Types\\Tarnwick\n",
              stdout);
        return -1;
    }
    for (const PlatformTypeValue &value : platform_type_values) {
        if (set_string(key, value.name, value.data) != 0) {
            fputs(value.failure, stdout);
            registry_close_key(key);
            return -1;
        }
    }
    registry_close_key(key);
    return 0;
}

// Sets the default value of a key under HKEY_CLASSES_ROOT.
static int set_class_default(const char *sub_key, const char *data,
                             const char *create_failure, const char *set_failure)
{
    RegistryKey key;
    if (registry_create_key(ROOT_CLASSES_ROOT, sub_key, &key) != 0) {
        fputs(create_failure, stdout);
        return -1;
    }
    long result = set_string(key, "", data);
    registry_close_key(key);
    if (result != 0) {
        fputs(set_failure, stdout);
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
    if (set_class_default("VisualDSP.Kulvaspe\\CLSID", KULVASPE_CLSID,
                          "ERROR: Can't create registry key HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe\\CLSID\n",
                          "ERROR: Can't create registry key default for HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe\\CLSID\n") != 0)
        return -1;
    if (set_class_default("VisualDSP.Kulvaspe", "VisualDSP SHARC Emulator Target Component",
                          "ERROR: Can't create registry key HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe\n",
                          "ERROR: Can't create registry key default for HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe\n") != 0)
        return -1;
    if (set_class_default("CLSID\\" KULVASPE_CLSID "\\InprocServer32", component_path,
                          "ERROR: Can't create registry key CLSID\\{5E2B07A4-91C3-4F6D-A8E0-3B7D19C64F52}\\InprocServer32\n",
                          "ERROR: Can't create registry key default for KULVASPE.DLL\n") != 0)
        return -1;
    return 0;
}
