// The install path lookup, shared by the registration and the component copy.
#include "install_path.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "tessaran_platform.h"

static const char install_path_value[] = "Install Path";

// The value may be stored without its terminator: end it where its bytes end.
// One that fills the whole buffer without a terminator leaves no room for it.
static int terminate_value(char path[INSTALL_PATH_SIZE], uint32_t stored)
{
    if (stored < INSTALL_PATH_SIZE) {
        path[stored] = '\0';
        return 0;
    }
    return memchr(path, '\0', INSTALL_PATH_SIZE) ? 0 : -1;
}

int lookup_install_path(char path[INSTALL_PATH_SIZE])
{
    RegistryKey key;
    if (registry_create_key(ROOT_LOCAL_MACHINE, HOST_KEY, &key) != 0) {
        printf("ERROR: Can't open registry key %s\n", HOST_KEY);
        return -1;
    }
    uint32_t size = INSTALL_PATH_SIZE;
    long result = registry_query_value(key, install_path_value, path, &size);
    registry_close_key(key);
    // An empty value names no folder: treat it as missing, or the paths built
    // from it would point at the root of the current drive.
    if (result != 0 || size > INSTALL_PATH_SIZE || terminate_value(path, size) != 0 || path[0] == '\0') {
        printf("ERROR: Can't find registry data %s\n", install_path_value);
        return -1;
    }
    return 0;
}

int install_path_ends_in_separator(const char *path)
{
    size_t length = strlen(path);
    return length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/');
}

int append_to_install_path(char path[INSTALL_PATH_SIZE], std::initializer_list<const char *> pieces)
{
    size_t length = strlen(path);
    size_t total = length;
    for (const char *piece : pieces)
        total += strlen(piece);
    if (total >= INSTALL_PATH_SIZE) {
        fputs("ERROR: Install Path too long\n", stdout);
        return -1;
    }
    for (const char *piece : pieces) {
        strcpy(path + length, piece);
        length += strlen(piece);
    }
    return 0;
}
