// Makes the Windows registry refuse keys for a test: under Wine, a key that
// is a symbolic link to a key that does not exist makes every create beneath
// it fail. Test helper only.
//
//   registry_link_key make KEY TARGET   HKEY_LOCAL_MACHINE\KEY becomes a link to TARGET
//                                       (a native path, \Registry\Machine\...)
//   registry_link_key remove KEY        takes such a link key away
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <string>

extern "C" LONG NTAPI NtDeleteKey(HANDLE key);

static std::wstring wide(const char *text)
{
    std::wstring out;
    for (const char *p = text; *p; p++)
        out += (wchar_t)(unsigned char)*p;
    return out;
}

static int make_link(const char *key_name, const char *target)
{
    HKEY key;
    LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, wide(key_name).c_str(), 0, NULL,
                                  REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS | KEY_CREATE_LINK, NULL, &key, NULL);
    if (result != ERROR_SUCCESS) {
        fprintf(stderr, "registry_link_key: cannot create %s: error %ld\n", key_name, result);
        return 1;
    }
    // The link's target is stored without a terminator.
    std::wstring target_text = wide(target);
    result = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                            reinterpret_cast<const BYTE *>(target_text.data()),
                            (DWORD)(target_text.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        fprintf(stderr, "registry_link_key: cannot point %s at %s: error %ld\n", key_name, target, result);
        return 1;
    }
    return 0;
}

// Opening with REG_OPTION_OPEN_LINK takes the link itself, not where it leads.
static int remove_link(const char *key_name)
{
    HKEY key;
    LONG result =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide(key_name).c_str(), REG_OPTION_OPEN_LINK, DELETE, &key);
    if (result == ERROR_FILE_NOT_FOUND)
        return 0;
    if (result != ERROR_SUCCESS) {
        fprintf(stderr, "registry_link_key: cannot open %s: error %ld\n", key_name, result);
        return 1;
    }
    LONG status = NtDeleteKey(key);
    RegCloseKey(key);
    if (status != 0) {
        fprintf(stderr, "registry_link_key: cannot remove %s: status %08lx\n", key_name,
                (unsigned long)status);
        return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "make") == 0)
        return make_link(argv[2], argv[3]);
    if (argc == 3 && strcmp(argv[1], "remove") == 0)
        return remove_link(argv[2]);
    fprintf(stderr, "usage: registry_link_key make KEY TARGET | remove KEY\n");
    return 2;
}
