// A change to a stand-in's file, the registry, the bus file or the copied
// component, flushes the new file and the folder that records the rename.
// Once renamed the change is made: a folder that cannot be flushed then is
// one warning line, the call succeeds and every later read sees the change.
// fsync is replaced here to watch that.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "driver_interface.h"
#include "driver_release.h"
#include "file_store.h"
#include "fsync_watch.h"
#include "scratch_folder.h"
#include "tessaran_platform.h"

namespace {

// Runs change with every folder flush failing, and expects one line on
// standard error naming the folder and the reason.
void with_folder_flush_failing(const std::string &folder, const std::function<void()> &change)
{
    folder_sync_fails = true;
    testing::internal::CaptureStderr();
    change();
    folder_sync_fails = false;
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(folder + ": "), std::string::npos) << said;
    EXPECT_NE(said.find("Input/output error"), std::string::npos) << said;
}

TEST(DurableWrite, RegistryChangeIsFlushedAndKeptWhenItsFolderCannotBe)
{
    ScratchFolder folder;
    setenv("TESSARAN_REGISTRY", (folder.path + "/registry.reg").c_str(), 1);

    file_syncs = folder_syncs = 0;
    RegistryKey key;
    ASSERT_EQ(registry_create_key(ROOT_LOCAL_MACHINE, "K", &key), 0);
    EXPECT_EQ(file_syncs, 1);
    EXPECT_EQ(folder_syncs, 1);

    with_folder_flush_failing(folder.path, [&] { EXPECT_EQ(registry_set_string(key, "V", "x", 2), 0); });
    char value[8] = "";
    uint32_t size = sizeof value;
    EXPECT_EQ(registry_query_value(key, "V", value, &size), 0);
    EXPECT_STREQ(value, "x");
    registry_close_key(key);
}

TEST(DurableWrite, BusFileIsFlushedAndKeptWhenItsFolderCannotBe)
{
    ScratchFolder folder;
    std::string path = folder.path + "/bus.txt";
    auto becomes = [](const char *text) {
        return [text](std::string &bytes) {
            bytes = text;
            return 0u;
        };
    };
    close(open(path.c_str(), O_CREAT | O_WRONLY, 0644));
    file_syncs = folder_syncs = 0;
    ASSERT_EQ(update_whole_file(path.c_str(), becomes("first\n")), 0u);
    EXPECT_EQ(file_syncs, 1);
    EXPECT_EQ(folder_syncs, 1);

    with_folder_flush_failing(folder.path,
                              [&] { EXPECT_EQ(update_whole_file(path.c_str(), becomes("second\n")), 0u); });
    EXPECT_EQ(file_text(path), "second\n");
}

// What the driver library reads back after such a write is what the file holds.
TEST(DurableWrite, SimulatedCardReadsBackTheWriteWhoseFolderCannotBeFlushed)
{
    ScratchFolder folder;
    std::string path = folder.path + "/bus.txt";
    std::ofstream(path) << "01:09.0 card\n00: 7b 1c 26 0e\n10: 01 e0 00 00 00 00 00 00 01 03 00 00\n\n";
    setenv("ONDREL_SIM", path.c_str(), 1);
    UniDrvHandle handle = UniDrv_Open(0);
    ASSERT_NE(handle, UNIDRV_INVALID_HANDLE);
    SlotAddress at = {};
    at.bus = 1;
    at.devfn = 9 << 3;
    const uint8_t bar2[] = { 0x41, 0x03, 0x00, 0x00 };
    with_folder_flush_failing(folder.path,
                              [&] { EXPECT_EQ(UniDrv_PCI_WriteCfgData(handle, &at, 0x18, 4, bar2), 4u); });
    uint8_t config[CONFIG_SPACE_SIZE];
    ASSERT_EQ(UniDrv_PCI_ReadCfgSpace(handle, &at, config), 0u);
    EXPECT_EQ(config[0x18], 0x41);
    EXPECT_NE(file_text(path).find("10: 01 e0 00 00 00 00 00 00 41 03 00 00"), std::string::npos);
    ondrel_release(handle);
    unsetenv("ONDREL_SIM");
}

TEST(DurableWrite, CopiedComponentIsKeptWhenItsFolderCannotBeFlushed)
{
    ScratchFolder folder;
    std::ofstream(folder.path + "/new.dll") << "new";
    std::ofstream(folder.path + "/old.dll") << "old";
    with_folder_flush_failing(folder.path, [&] {
        EXPECT_EQ(copy_file_replacing((folder.path + "/new.dll").c_str(), (folder.path + "/old.dll").c_str()),
                  0);
    });
    EXPECT_EQ(file_text(folder.path + "/old.dll"), "new");
}

}  // namespace
