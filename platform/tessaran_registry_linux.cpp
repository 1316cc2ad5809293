// The registry as a REGEDIT4 file, named by TESSARAN_REGISTRY (default
// tessaran.reg in the current folder). Each call reads the file under a
// lock; a change is on disk, whole, before the call returns success. A file
// that cannot be read as REGEDIT4 is never written: the call fails with one
// line on standard error saying why.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "tessaran_files_linux.h"
#include "tessaran_platform.h"
#include "tessaran_regfile_linux.h"

// The codes the Windows registry calls return for the same failures.
enum {
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_MORE_DATA = 234,
    ERROR_BADDB = 1009,
    ERROR_KEY_DELETED = 1018,
};

struct KeyHandle {
    std::vector<std::string> path;  // root name first
};

static const char *const root_names[] = {
    /* ROOT_LOCAL_MACHINE */ "HKEY_LOCAL_MACHINE",
    /* ROOT_CLASSES_ROOT  */ "HKEY_CLASSES_ROOT",
};

static std::string registry_file_name()
{
    const char *name = getenv("TESSARAN_REGISTRY");
    return name && *name ? name : "tessaran.reg";
}

static long report(const std::string &file, const std::string &what, long code)
{
    fprintf(stderr, "tessaran: %s: %s\n", file.c_str(), what.c_str());
    return code;
}

// Opens and locks the registry file. A rename by another run between the
// open and the lock leaves us holding the old file, so check and retry.
static int open_locked(const std::string &name, bool for_change)
{
    for (;;) {
        int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | (for_change ? O_CREAT : 0), 0666);
        if (fd < 0)
            return -1;
        struct stat held, current;
        if (flock(fd, for_change ? LOCK_EX : LOCK_SH) != 0 || fstat(fd, &held) != 0) {
            int saved = errno;
            close(fd);
            if (saved == EINTR)
                continue;
            errno = saved;
            return -1;
        }
        if (stat(name.c_str(), &current) == 0 && held.st_dev == current.st_dev
            && held.st_ino == current.st_ino)
            return fd;
        close(fd);  // replaced or removed meanwhile: take the one there now
    }
}

// Runs one operation on the registry file's contents. The operation says
// whether it changed them; only then is the file replaced.
static long with_registry(bool for_change, const std::function<long(RegFile &, bool &)> &operation)
{
    std::string name = registry_file_name();
    RegFile file;
    bool changed = false;
    int fd = open_locked(name, for_change);
    if (fd < 0) {
        if (errno == ENOENT && !for_change)
            return operation(file, changed);  // no file yet: an empty registry
        return report(name, strerror(errno), ERROR_ACCESS_DENIED);
    }

    long result;
    std::string text;
    struct stat st;
    int error_line = 0;
    std::string error;
    if (!read_all(fd, text) || fstat(fd, &st) != 0)
        result = report(name, strerror(errno), ERROR_ACCESS_DENIED);
    else if (!parse_registry(text, file, error_line, error))
        result = report(name + ":" + std::to_string(error_line), error + "; left unchanged", ERROR_BADDB);
    else if ((result = operation(file, changed)) == 0 && changed
             && !replace_file(name, format_registry(file), st.st_mode & 07777))
        result = report(name, strerror(errno), ERROR_ACCESS_DENIED);
    close(fd);
    return result;
}

static bool split_sub_key(const char *sub_key, std::vector<std::string> &path)
{
    std::string rest = sub_key ? sub_key : "";
    if (rest.empty())
        return false;
    size_t start = 0;
    for (;;) {
        size_t slash = rest.find('\\', start);
        path.push_back(rest.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (path.back().empty() || !name_fits_file(path.back()))
            return false;
        if (slash == std::string::npos)
            return true;
        start = slash + 1;
    }
}

long registry_create_key(RegistryRoot root, const char *sub_key, RegistryKey *key)
{
    std::vector<std::string> path = { root_names[root] };
    if (!split_sub_key(sub_key, path) || !key)
        return ERROR_INVALID_PARAMETER;
    long result = with_registry(true, [&](RegFile &file, bool &changed) {
        changed = create_key(file, path);
        return 0L;
    });
    if (result == 0)
        *key = new KeyHandle{ path };
    return result;
}

long registry_set_string(RegistryKey key, const char *name, const char *data, uint32_t byte_count)
{
    const KeyHandle *handle = static_cast<const KeyHandle *>(key);
    // A name with a line break would leave the file unreadable: refuse it.
    if (!handle || !name || (!data && byte_count) || !name_fits_file(name))
        return ERROR_INVALID_PARAMETER;
    std::string bytes(data ? data : "", byte_count);
    return with_registry(true, [&](RegFile &file, bool &changed) {
        if (!key_exists(file, handle->path))
            return (long)ERROR_KEY_DELETED;  // someone took it out of the file meanwhile
        RegKeyBlock *block = find_key_block(file, handle->path);
        if (!block) {  // known only by the keys below it: give it a block of its own
            file.keys.push_back({ handle->path, {} });
            block = &file.keys.back();
        }
        changed = set_value_bytes(*block, name, bytes);
        return 0L;
    });
}

long registry_query_value(RegistryKey key, const char *name, char *buffer, uint32_t *size)
{
    const KeyHandle *handle = static_cast<const KeyHandle *>(key);
    if (!handle || !name || !size)
        return ERROR_INVALID_PARAMETER;
    return with_registry(false, [&](RegFile &file, bool &) {
        RegKeyBlock *block = find_key_block(file, handle->path);
        const RegEntry *value = block ? find_value(*block, name) : nullptr;
        if (!value)
            return (long)(key_exists(file, handle->path) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED);
        std::string bytes = value_bytes(*value);
        bool fits = buffer && bytes.size() <= *size;
        *size = (uint32_t)bytes.size();
        if (!fits)
            return (long)(buffer ? ERROR_MORE_DATA : 0);
        memcpy(buffer, bytes.data(), bytes.size());
        return 0L;
    });
}

long registry_close_key(RegistryKey key)
{
    delete static_cast<KeyHandle *>(key);
    return 0;
}
