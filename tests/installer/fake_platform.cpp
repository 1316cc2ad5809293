#include "fake_platform.h"

#include <string.h>

#include "tessaran_platform.h"

FakePlatform fake;

const char host_key[] = "HKLM\\SOFTWARE\\Analog Devices\\VisualDSP++ 4.0";

void reset_fake_platform()
{
    for (void *key : fake.open_keys)
        delete static_cast<std::string *>(key);
    fake = FakePlatform();
}

void seed_install_path_bytes(const std::string &bytes) { fake.keys[host_key]["Install Path"] = bytes; }

void seed_install_path(const std::string &text) { seed_install_path_bytes(text + '\0'); }

// Records the call; true when it is the one chosen to fail.
static bool call(const std::string &what)
{
    fake.calls.push_back(what);
    return what == fake.fail_call;
}

static const std::string *open_key(RegistryKey key)
{
    if (!fake.open_keys.count(key)) {
        fake.bad_handles++;
        return nullptr;
    }
    return static_cast<const std::string *>(key);
}

long registry_create_key(RegistryRoot root, const char *sub_key, RegistryKey *key)
{
    std::string name = std::string(root == ROOT_LOCAL_MACHINE ? "HKLM\\" : "HKCR\\") + sub_key;
    if (call("create " + name))
        return 5;
    fake.keys[name];
    *key = new std::string(name);
    fake.open_keys.insert(*key);
    return 0;
}

long registry_set_string(RegistryKey key, const char *name, const char *data, uint32_t byte_count)
{
    const std::string *key_name = open_key(key);
    if (!key_name)
        return 6;
    if (call("set " + *key_name + ":" + name))
        return 5;
    fake.keys[*key_name][name] = std::string(data, byte_count);
    return 0;
}

long registry_query_value(RegistryKey key, const char *name, char *buffer, uint32_t *size)
{
    const std::string *key_name = open_key(key);
    if (!key_name)
        return 6;
    if (call("query " + *key_name + ":" + name))
        return 5;
    auto values = fake.keys[*key_name];
    auto value = values.find(name);
    if (value == values.end())
        return 2;
    uint32_t room = *size;
    *size = (uint32_t)value->second.size();
    if (value->second.size() > room)
        return 234;
    memset(buffer, 'X', room);  // what was in the buffer before must not show through
    memcpy(buffer, value->second.data(), value->second.size());
    return 0;
}

long registry_close_key(RegistryKey key)
{
    const std::string *key_name = open_key(key);
    if (!key_name)
        return 6;
    call("close " + *key_name);
    fake.open_keys.erase(key);
    delete key_name;
    return 0;
}

long copy_file_replacing(const char *source, const char *destination)
{
    return call(std::string("copy ") + source + " -> " + destination) ? 5 : 0;
}
