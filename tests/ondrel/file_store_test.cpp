// A saved bus file is on disk before the save returns success: the new file
// and the folder that records the rename are both flushed, and a folder that
// cannot be flushed is reported. fsync is replaced here to watch that.
#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fsync_watch.h"
#include "os_services.h"

namespace {

TEST(BusFileStore, FlushesFileAndFolderAndReportsAFolderThatCannotBe)
{
    char pattern[] = "/tmp/file_store_test.XXXXXX";
    std::string folder = mkdtemp(pattern);
    std::string path = folder + "/bus.txt";

    file_syncs = folder_syncs = 0;
    ASSERT_EQ(replace_file_atomically(path.c_str(), "first\n"), 0u);
    EXPECT_EQ(file_syncs, 1);
    EXPECT_EQ(folder_syncs, 1);

    folder_sync_fails = true;
    EXPECT_EQ(replace_file_atomically(path.c_str(), "second\n"), (uint32_t)EIO);
    folder_sync_fails = false;

    std::string bytes;
    ASSERT_EQ(read_whole_file(path.c_str(), bytes), 0u);
    EXPECT_EQ(bytes, "second\n") << "renamed, only its durability unsure";
    system(("rm -rf '" + folder + "'").c_str());
}

}  // namespace
