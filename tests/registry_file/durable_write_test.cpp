// A registry change is on disk before the call returns success: the new
// file and the folder that records the rename are both flushed, and a folder
// that cannot be flushed is reported. fsync is replaced here to watch that.
#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fsync_watch.h"
#include "tessaran_platform.h"

namespace {

TEST(DurableRegistryWrite, FlushesFileAndFolderAndReportsAFolderThatCannotBe)
{
    char pattern[] = "/tmp/durable_test.XXXXXX";
    std::string folder = mkdtemp(pattern);
    setenv("TESSARAN_REGISTRY", (folder + "/registry.reg").c_str(), 1);

    file_syncs = folder_syncs = 0;
    RegistryKey key;
    ASSERT_EQ(registry_create_key(ROOT_LOCAL_MACHINE, "K", &key), 0);
    EXPECT_EQ(file_syncs, 1);
    EXPECT_EQ(folder_syncs, 1);

    folder_sync_fails = true;
    testing::internal::CaptureStderr();
    EXPECT_NE(registry_set_string(key, "V", "x", 2), 0);
    folder_sync_fails = false;
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Input/output error"), std::string::npos);

    registry_close_key(key);
    system(("rm -rf '" + folder + "'").c_str());
}

}  // namespace
