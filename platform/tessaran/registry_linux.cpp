// The registry calls tessaran makes, onto the registry file of the Linux
// stand-in. Names and data cross as ANSI (code page 1252) bytes, as through
// the Windows calls ending in A.
#include <string.h>

#include "reg_edit.h"
#include "reg_store.h"
#include "tessaran_platform.h"
#include "text_encoding.h"

struct KeyHandle {
    std::string path;  // root name first, UTF-8
};

// The root as the file names it; null for a value outside the enum.
static const char *root_name(RegistryRoot root)
{
    switch (root) {
    case ROOT_LOCAL_MACHINE:
        return "HKEY_LOCAL_MACHINE";
    case ROOT_CLASSES_ROOT:
        return "HKEY_CLASSES_ROOT";
    }
    return nullptr;
}

// The key's path in the file, or "" for what the registry refuses: no
// root it knows; a sub-key that is empty, has an empty name in it, or holds
// a line break (CR or LF) that would split the key's line, where nothing can
// be escaped.
static std::string key_path(RegistryRoot root, const char *sub_key)
{
    std::string sub = sub_key ? sub_key : "";
    if (!root_name(root) || sub.empty() || sub.front() == '\\' || sub.back() == '\\' ||
        sub.find("\\\\") != std::string::npos || sub.find_first_of("\r\n") != std::string::npos)
        return "";
    return std::string(root_name(root)) + "\\" + ansi_to_utf8(sub);
}

long registry_create_key(RegistryRoot root, const char *sub_key, RegistryKey *key)
{
    std::string path = key_path(root, sub_key);
    if (path.empty() || !key)
        return registry_error::invalid_parameter;
    long result = with_registry(true, [&](RegDocument &doc, bool &changed) {
        changed = create_key(doc, path);
        return 0L;
    });
    if (result == 0)
        *key = new KeyHandle{ path };
    return result;
}

long registry_set_string(RegistryKey key, const char *name, const char *data, uint32_t byte_count)
{
    const KeyHandle *handle = static_cast<const KeyHandle *>(key);
    // A name with a line break would split its line: refuse it.
    if (!handle || !name || (!data && byte_count) || strchr(name, '\n'))
        return registry_error::invalid_parameter;
    std::string bytes(data ? data : "", byte_count);
    return with_registry(true, [&](RegDocument &doc, bool &changed) {
        if (!key_exists(doc, handle->path))
            return registry_error::key_deleted;  // someone took it out of the file meanwhile
        changed = set_string_value(doc, handle->path, ansi_to_utf8(name), bytes);
        return 0L;
    });
}

long registry_query_value(RegistryKey key, const char *name, char *buffer, uint32_t *size)
{
    const KeyHandle *handle = static_cast<const KeyHandle *>(key);
    if (!handle || !name || !size)
        return registry_error::invalid_parameter;
    return with_registry(false, [&](RegDocument &doc, bool &) {
        ValueLine value;
        uint32_t line;
        if (!find_value(doc, handle->path, ansi_to_utf8(name), value, &line))
            return key_exists(doc, handle->path) ? registry_error::file_not_found
                                                 : registry_error::key_deleted;
        std::string bytes = value_ansi_bytes(doc, value);
        bool fits = buffer && bytes.size() <= *size;
        *size = (uint32_t)bytes.size();
        if (!fits)
            return buffer ? registry_error::more_data : 0L;
        memcpy(buffer, bytes.data(), bytes.size());
        return 0L;
    });
}

long registry_close_key(RegistryKey key)
{
    delete static_cast<KeyHandle *>(key);
    return 0;
}
