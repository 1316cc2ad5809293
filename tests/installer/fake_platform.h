// An in-memory registry and file copy for the installer's logic, recording
// every call and failing the one a test chooses.
#ifndef FAKE_PLATFORM_H
#define FAKE_PLATFORM_H

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

struct FakePlatform {
    // "HKLM\\SOFTWARE\\..." or "HKCR\\...", as the installer spelled it -> name -> bytes.
    std::map<std::string, std::map<std::string, std::string>> keys;
    // "create HKLM\\...", "set HKLM\\...:DESCRIPTION", "query ...:Install Path",
    // "close HKLM\\...", "copy kulvaspe.dll -> C:\\..."
    std::vector<std::string> calls;
    std::string fail_call;  // the one call that fails, named as in calls
    std::set<void *> open_keys;
    int bad_handles = 0;  // closes or uses of a key not open
};

extern FakePlatform fake;

void reset_fake_platform();

// Starts each test on an empty fake and ends it by checking that every key
// opened was released, and only once.
class FakePlatformTest : public ::testing::Test {
  protected:
    void SetUp() override { reset_fake_platform(); }
    void TearDown() override
    {
        EXPECT_TRUE(fake.open_keys.empty()) << "a key was left open";
        EXPECT_EQ(fake.bad_handles, 0);
    }
};

// The host key with its Install Path value stored as these exact bytes.
void seed_install_path_bytes(const std::string &bytes);
// ... stored as text with its terminator, as the host does.
void seed_install_path(const std::string &text);

extern const char host_key[];

#endif
