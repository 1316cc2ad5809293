// A change to a stand-in's file, the registry or the bus file, is on disk
// before the call returns success: the new file and the folder that records
// the rename are both flushed, and a folder that cannot be flushed is
// reported. fsync is replaced here to watch that.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "file_store.h"
#include "fsync_watch.h"
#include "scratch_folder.h"
#include "tessaran_platform.h"

namespace {

TEST(DurableRegistryWrite, FlushesFileAndFolderAndReportsAFolderThatCannotBe)
{
    ScratchFolder folder;
    setenv("TESSARAN_REGISTRY", (folder.path + "/registry.reg").c_str(), 1);

    file_syncs = folder_syncs = 0;
    RegistryKey key;
    ASSERT_EQ(registry_create_key(ROOT_LOCAL_MACHINE, "K", &key), 0);
    EXPECT_EQ(file_syncs, 1);
    EXPECT_EQ(folder_syncs, 1);

    folder_sync_fails = true;
    testing::internal::CaptureStderr();
    EXPECT_EQ(registry_set_string(key, "V", "x", 2), 31);  // EIO: ERROR_GEN_FAILURE
    folder_sync_fails = false;
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Input/output error"), std::string::npos);
    registry_close_key(key);
}

TEST(BusFileStore, FlushesFileAndFolderAndReportsAFolderThatCannotBe)
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

    folder_sync_fails = true;
    EXPECT_EQ(update_whole_file(path.c_str(), becomes("second\n")), (uint32_t)EIO);
    folder_sync_fails = false;

    std::string bytes;
    ASSERT_EQ(read_whole_file(path.c_str(), bytes), 0u);
    EXPECT_EQ(bytes, "second\n") << "renamed, only its durability unsure";
}

}  // namespace
