// The machine's own PCI bus through sysfs, as pciutils reads it: one
// config file per function under ROOT/devices, ROOT being /sys/bus/pci or
// what ONDREL_SYSFS names.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "backend.h"
#include "env_setting.h"
#include "pci_config_space.h"

namespace {

struct SysfsBus {
    std::string devices;  // ROOT/devices
};

// Used whenever no bus file is named, which the table's order takes care of.
bool sysfs_wanted(void) { return true; }

void *sysfs_open(uint32_t *error)
{
    const char *root = env_setting("ONDREL_SYSFS");
    std::string devices = std::string(root ? root : "/sys/bus/pci") + "/devices";
    DIR *dir = opendir(devices.c_str());
    if (!dir) {
        *error = (uint32_t)errno;
        return nullptr;
    }
    closedir(dir);
    return new SysfsBus{ devices };
}

std::string config_path(const SysfsBus *bus, unsigned bus_number, unsigned devfn)
{
    char name[32];
    snprintf(name, sizeof name, "/0000:%02x:%02x.%u/config", bus_number & 0xFFu, devfn >> 3, devfn & 7u);
    return bus->devices + name;
}

// An unprivileged reader gets only the first 64 bytes; the rest stays 0xFF
// as the caller left it, as lspci shows it.
int sysfs_read(void *state, unsigned bus_number, unsigned devfn, uint8_t *config)
{
    int fd =
        open(config_path(static_cast<SysfsBus *>(state), bus_number, devfn).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 1;
    ssize_t got;
    do
        got = pread(fd, config, CONFIG_SPACE_SIZE, 0);
    while (got < 0 && errno == EINTR);
    close(fd);
    return got > 0 ? 0 : 1;
}

int sysfs_status(void *state)
{
    struct stat st;
    return stat(static_cast<SysfsBus *>(state)->devices.c_str(), &st) == 0 ? 0 : 1;
}

uint32_t sysfs_write(void *state, unsigned bus_number, unsigned devfn, unsigned offset, unsigned count,
                     const uint8_t *data)
{
    int fd =
        open(config_path(static_cast<SysfsBus *>(state), bus_number, devfn).c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    ssize_t put;
    do
        put = pwrite(fd, data, count, offset);
    while (put < 0 && errno == EINTR);
    close(fd);
    return put > 0 ? (uint32_t)put : 0;
}

void sysfs_close(void *state) { delete static_cast<SysfsBus *>(state); }

}  // namespace

const BusBackend native_backend = { sysfs_wanted, sysfs_open,  sysfs_read,
                                    sysfs_status, sysfs_write, sysfs_close };
