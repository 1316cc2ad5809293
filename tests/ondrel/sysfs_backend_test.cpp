// The sysfs backend through the library's own calls: a fake tree in a
// temporary folder, and this machine's bus read only, beside lspci.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <errno.h>

#include <fstream>
#include <map>
#include <sstream>

#include "driver_interface.h"
#include "driver_release.h"
#include "scratch_folder.h"

namespace {

SlotAddress slot(unsigned bus, unsigned device, unsigned function = 0)
{
    SlotAddress address = {};
    address.devfn = (uint8_t)(device << 3 | function);
    address.bus = (uint8_t)bus;
    return address;
}

class FakeSysfs : public ::testing::Test {
  protected:
    void SetUp() override
    {
        mkdir((root + "/devices").c_str(), 0755);
        unsetenv("ONDREL_SIM");
        unsetenv("ONDREL_TRACE");
        setenv("ONDREL_SYSFS", root.c_str(), 1);
    }
    std::string add_function(const char *name, const std::string &bytes)
    {
        std::string folder = root + "/devices/" + name;
        mkdir(folder.c_str(), 0755);
        std::ofstream(folder + "/config", std::ios::binary) << bytes;
        return folder + "/config";
    }

    ScratchFolder scratch;
    std::string root = scratch.path;
};

TEST_F(FakeSysfs, ReadsWholeShortAndMissingFunctionsAsPciutilsDoes)
{
    std::string card(CONFIG_SPACE_SIZE, '\0'), ones(CONFIG_SPACE_SIZE, '\xff');
    card[0] = 0x7b, card[1] = 0x1c, card[2] = 0x26, card[3] = 0x0e, card[0xff] = 0x5a;
    add_function("0000:01:09.0", card);
    add_function("0000:1a:1f.7", card);  // hex letters, and the last function
    add_function("0000:00:01.0", std::string(64, '\x11'));
    add_function("0000:00:03.0", "");

    UniDrvHandle handle = UniDrv_Open(0);
    ASSERT_NE(handle, UNIDRV_INVALID_HANDLE);
    const struct {
        SlotAddress at;
        uint32_t result;
        std::string bytes;
    } reads[] = {
        { slot(1, 9), 0, card },
        { slot(0x1a, 0x1f, 7), 0, card },
        { slot(0, 1), 0, std::string(64, '\x11') + std::string(192, '\xff') },  // as a plain user reads it
        { slot(0, 2), 1, ones },                                                // no such function
        { slot(0, 3), 1, ones },                                                // not a byte to read
    };
    for (auto read : reads) {
        uint8_t config[CONFIG_SPACE_SIZE];
        EXPECT_EQ(UniDrv_PCI_ReadCfgSpace(handle, &read.at, config), read.result);
        EXPECT_EQ(std::string((char *)config, CONFIG_SPACE_SIZE), read.bytes);
    }

    PciStatus status;
    EXPECT_EQ(UniDrv_PCI_GetStatus(handle, &status), 0u);
    rename((root + "/devices").c_str(), (root + "/gone").c_str());
    EXPECT_NE(UniDrv_PCI_GetStatus(handle, &status), 0u);
    ondrel_release(handle);
}

// Whatever it is handed, the library follows no pointer it cannot trust.
TEST_F(FakeSysfs, RefusesHandlesSlotsAndBuffersItCannotFollow)
{
    std::string card(CONFIG_SPACE_SIZE, '\x33');
    std::string card_path = add_function("0000:01:09.0", card);
    UniDrvHandle handle = UniDrv_Open(0);
    uint32_t foreign[8] = {};  // no handle the library gave out
    SlotAddress at = slot(1, 9);
    uint8_t config[CONFIG_SPACE_SIZE], data[4] = {};
    const struct {
        UniDrvHandle handle;
        SlotAddress *at;
        uint8_t *config;
        const void *data;
    } calls[] = { { UNIDRV_INVALID_HANDLE, &at, config, data },
                  { foreign, &at, config, data },
                  { handle, nullptr, config, data },
                  { handle, &at, nullptr, nullptr } };
    for (const auto &call : calls) {
        memset(config, 0, sizeof config);
        EXPECT_EQ(UniDrv_PCI_ReadCfgSpace(call.handle, call.at, call.config), 1u);
        EXPECT_EQ(config[0x80], call.config ? 0xff : 0);
        EXPECT_EQ(UniDrv_PCI_WriteCfgData(call.handle, call.at, 0x18, 4, call.data), 0u);
        EXPECT_EQ(UniDrv_PCI_GetStatus(call.handle, nullptr), call.handle == handle ? 0u : 1u);
    }
    ondrel_release(handle);
    EXPECT_EQ(file_text(card_path), card);
}

TEST_F(FakeSysfs, WritesOnlyTheGivenBytesOfTheRightFunction)
{
    std::string card(CONFIG_SPACE_SIZE, '\x33');
    std::string card_path = add_function("0000:01:09.0", card);
    std::string other_path = add_function("0000:01:0a.0", card);
    mkdir((root + "/devices/0000:01:0b.0").c_str(), 0755);
    symlink("/dev/full", (root + "/devices/0000:01:0b.0/config").c_str());  // every write fails
    setenv("ONDREL_TRACE", (root + "/trace").c_str(), 1);

    UniDrvHandle handle = UniDrv_Open(0);
    ASSERT_NE(handle, UNIDRV_INVALID_HANDLE);
    const uint8_t data[] = { 0x01, 0x03, 0x00, 0x00 };
    const struct {
        SlotAddress at;
        uint32_t offset, written;
    } writes[] = {
        { slot(1, 9), 0x18, 4 },  { slot(1, 9), 0xfe, 2 },  // past the end dropped
        { slot(1, 9), 0x104, 0 }, { slot(2, 0), 0x18, 0 }, { slot(1, 0xb), 0x18, 0 },
    };
    for (auto write : writes)
        EXPECT_EQ(UniDrv_PCI_WriteCfgData(handle, &write.at, write.offset, 4, data), write.written);
    ondrel_release(handle);

    card.replace(0x18, 4, std::string((const char *)data, 4)).replace(0xfe, 2, "\x01\x03");
    EXPECT_EQ(file_text(card_path), card);
    EXPECT_EQ(file_text(other_path), std::string(CONFIG_SPACE_SIZE, '\x33'));
    EXPECT_EQ(file_text(root + "/trace"), "open 0 -> ok\n"
                                          "write 01:09.0 0x18 4 01 03 00 00 -> 4\n"
                                          "write 01:09.0 0xfe 4 01 03 00 00 -> 2\n"
                                          "write 01:09.0 0x104 4 01 03 00 00 -> 0\n"
                                          "write 02:00.0 0x18 4 01 03 00 00 -> 0\n"
                                          "write 01:0b.0 0x18 4 01 03 00 00 -> 0\n"
                                          "close\n");
}

TEST_F(FakeSysfs, OpenFailsWithTheSystemErrorWhenTheRootIsMissing)
{
    std::ofstream(root + "/file") << "";
    const struct {
        const char *root;
        int error;
    } roots[] = { { "/nowhere", ENOENT }, { "/file", ENOTDIR } };
    for (const auto &bad : roots) {
        setenv("ONDREL_SYSFS", (root + bad.root).c_str(), 1);
        errno = 0;
        // Every bit set, as the card maker's library answers.
        EXPECT_EQ(UniDrv_Open(0), (UniDrvHandle)(intptr_t)-1);
        EXPECT_EQ(errno, bad.error) << bad.root;
    }
}

// lspci -xxx rows of every function 0 on buses 0 to 7, by "BB:SS.F".
std::map<std::string, std::string> lspci_functions()
{
    std::map<std::string, std::string> functions;
    FILE *pipe = popen("lspci -xxx 2>/dev/null", "r");
    if (!pipe)
        return functions;
    char line[512];
    std::string current;
    while (fgets(line, sizeof line, pipe)) {
        unsigned bus, device, function, offset;
        int used = 0;
        if (sscanf(line, "%2x:%2x.%1u %n", &bus, &device, &function, &used) == 3 && used > 0) {
            current = bus < 8 && function == 0 ? std::string(line, 7) : "";
            if (!current.empty())
                functions[current] = std::string(CONFIG_SPACE_SIZE, '\xff');
        } else if (!current.empty() && sscanf(line, "%2x: %n", &offset, &used) == 1 &&
                   offset < CONFIG_SPACE_SIZE) {
            std::istringstream bytes(line + used);
            unsigned byte;
            for (unsigned i = 0; bytes >> std::hex >> byte && offset + i < CONFIG_SPACE_SIZE; i++)
                functions[current][offset + i] = (char)byte;
        }
    }
    pclose(pipe);
    return functions;
}

// The functions whose bytes differ between our read and lspci's, by name.
std::string differing_functions(const std::map<std::string, std::string> &expected)
{
    std::string differing;
    UniDrvHandle handle = UniDrv_Open(0);
    if (handle == UNIDRV_INVALID_HANDLE)
        return "(open failed)";
    for (const auto &function : expected) {
        unsigned bus, device;
        sscanf(function.first.c_str(), "%2x:%2x", &bus, &device);
        SlotAddress at = slot(bus, device);
        uint8_t config[CONFIG_SPACE_SIZE];
        if (UniDrv_PCI_ReadCfgSpace(handle, &at, config) != 0 ||
            std::string((char *)config, CONFIG_SPACE_SIZE) != function.second)
            differing += " " + function.first;
    }
    ondrel_release(handle);
    return differing;
}

TEST(RealBus, ReadsTheBytesLspciShowsAndNeverWrites)
{
    unsetenv("ONDREL_SIM");
    unsetenv("ONDREL_SYSFS");
    unsetenv("ONDREL_TRACE");
    // A live device may flip a status bit between two reads: a difference
    // counts only when it stays over three fresh pairs of reads.
    std::string differing;
    for (int attempt = 0; attempt < 3; attempt++) {
        std::map<std::string, std::string> expected = lspci_functions();
        if (expected.empty())
            GTEST_SKIP() << "lspci lists no function 0 on buses 0-7 here";
        differing = differing_functions(expected);
        if (differing.empty())
            break;
    }
    EXPECT_EQ(differing, "") << "functions read differently from lspci";
}

}  // namespace
