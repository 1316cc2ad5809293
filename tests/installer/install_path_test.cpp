// The host's install path lookup over the fake platform, and the buffer it fills.
#include <gtest/gtest.h>
#include <string.h>

#include "fake_platform.h"
#include "install_path.h"

class InstallPathLookup : public FakePlatformTest {
  protected:
    // Runs the lookup into a buffer with a guard after it.
    int lookup(std::string &out_text, std::string &out_printed)
    {
        memset(buffer, '#', sizeof buffer);
        testing::internal::CaptureStdout();
        int result = lookup_install_path(buffer);
        out_printed = testing::internal::GetCapturedStdout();
        out_text = result == 0 ? std::string(buffer) : "";
        for (size_t i = INSTALL_PATH_SIZE; i < sizeof buffer; i++)
            EXPECT_EQ(buffer[i], '#') << "written past the path buffer";
        return result;
    }

    char buffer[INSTALL_PATH_SIZE + 16];
    std::string text, printed;
};

TEST_F(InstallPathLookup, ReadsTheValueUnderTheHostKeyAndReleasesIt)
{
    seed_install_path("C:\\Program Files\\Analog Devices\\VisualDSP 4.0\\");
    ASSERT_EQ(lookup(text, printed), 0);
    EXPECT_EQ(text, "C:\\Program Files\\Analog Devices\\VisualDSP 4.0\\");
    EXPECT_EQ(printed, "");
    std::vector<std::string> expected = { std::string("create ") + host_key,
                                          std::string("query ") + host_key + ":Install Path",
                                          std::string("close ") + host_key };
    EXPECT_EQ(fake.calls, expected);
}

TEST_F(InstallPathLookup, FailsWhenTheHostKeyCannotBeOpened)
{
    seed_install_path("C:\\VDSP\\");
    fake.fail_call = std::string("create ") + host_key;
    EXPECT_EQ(lookup(text, printed), -1);
    EXPECT_EQ(printed, "ERROR: Can't open registry key SOFTWARE\\Analog Devices\\VisualDSP++ 4.0\n");
    EXPECT_EQ(fake.calls.size(), 1u);
}

TEST_F(InstallPathLookup, FailsWhenTheValueIsMissingOrUnreadable)
{
    fake.keys[host_key]["Install path (other)"] = std::string("C:\\\0", 4);
    EXPECT_EQ(lookup(text, printed), -1);
    EXPECT_EQ(printed, "ERROR: Can't find registry data Install Path\n");

    reset_fake_platform();
    seed_install_path("C:\\VDSP\\");
    fake.fail_call = std::string("query ") + host_key + ":Install Path";
    EXPECT_EQ(lookup(text, printed), -1);
    EXPECT_EQ(printed, "ERROR: Can't find registry data Install Path\n");
    EXPECT_EQ(fake.calls.back(), std::string("close ") + host_key);
}

TEST_F(InstallPathLookup, TakesUpTo255CharactersWithTheirTerminator)
{
    seed_install_path(std::string(255, 'a'));
    ASSERT_EQ(lookup(text, printed), 0);
    EXPECT_EQ(text, std::string(255, 'a'));

    seed_install_path(std::string(256, 'a'));
    EXPECT_EQ(lookup(text, printed), -1);
    EXPECT_EQ(printed, "ERROR: Can't find registry data Install Path\n");
}

TEST_F(InstallPathLookup, TerminatesAValueStoredWithoutItsTerminator)
{
    seed_install_path_bytes("D:\\Tools\\");
    ASSERT_EQ(lookup(text, printed), 0);
    EXPECT_EQ(text, "D:\\Tools\\");

    seed_install_path_bytes(std::string(255, 'b'));
    ASSERT_EQ(lookup(text, printed), 0);
    EXPECT_EQ(text, std::string(255, 'b'));
}

TEST_F(InstallPathLookup, RefusesAnEmptyValueAsMissing)
{
    for (const std::string &stored : { std::string(), std::string(1, '\0'), std::string("\0C:\\", 4) }) {
        seed_install_path_bytes(stored);
        EXPECT_EQ(lookup(text, printed), -1) << stored.size() << " bytes";
        EXPECT_EQ(printed, "ERROR: Can't find registry data Install Path\n");
    }
}

TEST_F(InstallPathLookup, RefusesAValueFillingTheWholeBufferWithoutATerminator)
{
    seed_install_path_bytes(std::string(256, 'c'));
    EXPECT_EQ(lookup(text, printed), -1);
    EXPECT_EQ(printed, "ERROR: Can't find registry data Install Path\n");

    // A terminator anywhere within the 256 bytes ends the text there.
    seed_install_path_bytes(std::string(100, 'c') + '\0' + std::string(155, 'd'));
    ASSERT_EQ(lookup(text, printed), 0);
    EXPECT_EQ(text, std::string(100, 'c'));
}

TEST(AppendToInstallPath, AppendsAllPiecesOrNoneAndNeverPastTheBuffer)
{
    char path[INSTALL_PATH_SIZE + 8];
    memset(path, '#', sizeof path);
    strcpy(path, std::string(240, 'p').c_str());

    testing::internal::CaptureStdout();
    EXPECT_EQ(append_to_install_path(path, { "\\system\\", "kulvaspe.dll" }), -1);  // 260 bytes
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: Install Path too long\n");
    EXPECT_EQ(std::string(path), std::string(240, 'p'));

    testing::internal::CaptureStdout();
    EXPECT_EQ(append_to_install_path(path, { "0123456789", "abcde" }), 0);  // 255 + terminator
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(std::string(path), std::string(240, 'p') + "0123456789abcde");
    for (size_t i = INSTALL_PATH_SIZE; i < sizeof path; i++)
        EXPECT_EQ(path[i], '#');

    testing::internal::CaptureStdout();
    EXPECT_EQ(append_to_install_path(path, { "", "x" }), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: Install Path too long\n");
}

TEST(InstallPathEndsInSeparator, KnowsBothSeparatorsAndTheEmptyPath)
{
    EXPECT_TRUE(install_path_ends_in_separator("C:\\VDSP\\"));
    EXPECT_TRUE(install_path_ends_in_separator("C:/VDSP/"));
    EXPECT_FALSE(install_path_ends_in_separator("C:\\VDSP"));
    EXPECT_FALSE(install_path_ends_in_separator(""));
}
