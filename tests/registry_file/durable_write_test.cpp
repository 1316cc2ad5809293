// A change to a stand-in's file, the registry or the bus file, flushes the
// new file and the folder that records the rename. Once renamed the change
// is made: a folder that cannot be flushed then is one warning line a run,
// and the call succeeds. fsync is replaced here to watch that.
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

std::string flush_warning(const std::string &folder)
{
    return std::string(program_invocation_short_name) + ": warning: " + folder +
           ": folder not flushed, the change may not survive a power loss: Input/output error\n";
}

TEST(DurableRegistryWrite, FlushesFileAndFolderAndKeepsTheChangeWhenTheFolderCannotBe)
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
    EXPECT_EQ(registry_set_string(key, "V", "x", 2), 0);
    EXPECT_EQ(registry_set_string(key, "W", "y", 2), 0);  // the same folder: no more warnings
    folder_sync_fails = false;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), flush_warning(folder.path));
    registry_close_key(key);
}

TEST(BusFileStore, FlushesFileAndFolderAndKeepsTheChangeWhenTheFolderCannotBe)
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
    testing::internal::CaptureStderr();
    EXPECT_EQ(update_whole_file(path.c_str(), becomes("second\n")), 0u);
    folder_sync_fails = false;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), flush_warning(folder.path));

    std::string bytes;
    ASSERT_EQ(read_whole_file(path.c_str(), bytes), 0u);
    EXPECT_EQ(bytes, "second\n") << "what a later run reads";
}

}  // namespace
