// Whole-file reads and all-or-nothing replacement of the bus file, through
// the Win32 file calls so that failures carry the system's own codes.
#include <windows.h>

#include <stdio.h>

#include "file_store.h"

namespace {

bool write_all(HANDLE file, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = bytes.size() - done > 0x10000000 ? 0x10000000 : (DWORD)(bytes.size() - done);
        DWORD put = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &put, NULL))
            return false;
        if (put == 0) {
            // Nothing taken and no error: asking again would never end.
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        done += put;
    }
    return true;
}

// A new file beside path, named after it; the name is in *name.
HANDLE create_temporary_beside(const char *path, std::string *name)
{
    static unsigned attempt = 0;
    for (;;) {
        char suffix[32];
        snprintf(suffix, sizeof suffix, ".%lx-%u", (unsigned long)GetCurrentProcessId(), attempt++);
        *name = std::string(path) + suffix;
        HANDLE file =
            CreateFileA(name->c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
}

}  // namespace

uint32_t read_whole_file(const char *path, std::string &bytes)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    bytes.clear();
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, NULL)) {
            DWORD error = GetLastError();
            CloseHandle(file);
            return error;
        }
        if (got == 0)
            break;
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return 0;
}

namespace {

uint32_t replace_file_atomically(const char *path, const std::string &bytes)
{
    std::string name;
    HANDLE file = create_temporary_beside(path, &name);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    bool ok = write_all(file, bytes) && FlushFileBuffers(file);
    DWORD error = ok ? 0 : GetLastError();
    if (!CloseHandle(file) && ok) {
        ok = false;
        error = GetLastError();
    }
    // Write-through: the move is on disk, not only in the cache, when it returns.
    if (ok && !MoveFileExA(name.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = GetLastError();
    }
    if (!ok) {
        DeleteFileA(name.c_str());
        return error;
    }
    return 0;
}

}  // namespace

// Test builds only, one run at a time: no lock is taken.
uint32_t update_whole_file(const char *path, const std::function<uint32_t(std::string &bytes)> &change)
{
    std::string bytes;
    uint32_t error = read_whole_file(path, bytes);
    if (error == 0 && (error = change(bytes)) == 0)
        error = replace_file_atomically(path, bytes);
    return error;
}
