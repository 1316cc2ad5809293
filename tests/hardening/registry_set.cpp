// registry_set HKLM|HKCR SUBKEY NAME DATA
// Sets a string value through tessaran's registry stand-in, as another
// program sharing the registry file would: the key is created when missing.
#include <stdio.h>
#include <string.h>

#include "tessaran_platform.h"

int main(int argc, char **argv)
{
    if (argc != 5 || (strcmp(argv[1], "HKLM") != 0 && strcmp(argv[1], "HKCR") != 0)) {
        fprintf(stderr, "usage: registry_set HKLM|HKCR SUBKEY NAME DATA\n");
        return 2;
    }
    RegistryRoot root = strcmp(argv[1], "HKLM") == 0 ? ROOT_LOCAL_MACHINE : ROOT_CLASSES_ROOT;
    RegistryKey key;
    long result = registry_create_key(root, argv[2], &key);
    if (result == 0) {
        result = registry_set_string(key, argv[3], argv[4], (uint32_t)strlen(argv[4]) + 1);
        registry_close_key(key);
    }
    if (result != 0)
        fprintf(stderr, "registry_set: %s\\%s: error %ld\n", argv[1], argv[2], result);
    return result == 0 ? 0 : 1;
}
