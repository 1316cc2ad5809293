// A saved bus file is on disk before the save returns success: the new file
// and the folder that records the rename are both flushed, and a folder that
// cannot be flushed is reported. fsync is replaced here to watch that.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_store.h"
#include "fsync_watch.h"

namespace {

TEST(BusFileStore, FlushesFileAndFolderAndReportsAFolderThatCannotBe)
{
    char pattern[] = "/tmp/file_store_test.XXXXXX";
    std::string folder = mkdtemp(pattern);
    std::string path = folder + "/bus.txt";

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
    system(("rm -rf '" + folder + "'").c_str());
}

}  // namespace
