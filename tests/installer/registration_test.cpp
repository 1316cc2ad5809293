// The registration and the component copy over the fake platform, step by step and failure by failure.
#include <gtest/gtest.h>

#include <algorithm>

#include "component_copy.h"
#include "fake_platform.h"
#include "registration.h"

namespace {

const std::string platform_key =
    "HKLM\\SOFTWARE\\Analog Devices\\VisualDSP++ 4.0\\Targets\\Platform Types\\Tarnwick";
const std::string clsid = "{5E2B07A4-91C3-4F6D-A8E0-3B7D19C64F52}";
const std::string inproc_key = "HKCR\\CLSID\\" + clsid + "\\InprocServer32";

class Registration : public FakePlatformTest {
  protected:
    // Runs one step of the installer, keeping what it prints.
    int run(std::string &out, int (*step)(void) = register_with_host)
    {
        testing::internal::CaptureStdout();
        int result = step();
        out = testing::internal::GetCapturedStdout();
        return result;
    }

    size_t values_set() const
    {
        size_t n = 0;
        for (const auto &key : fake.keys)
            n += key.second.size();
        return n;
    }

    std::string printed;
};

TEST_F(Registration, WritesEveryValueWithItsTerminatorInOrder)
{
    seed_install_path("C:\\VDSP\\");
    ASSERT_EQ(run(printed), 0);
    EXPECT_EQ(printed, "");

    const auto &platform = fake.keys[platform_key];
    EXPECT_EQ(platform.at("DESCRIPTION"),
              std::string("Tarnwick emulator connected to JTAG Target board", 49));
    EXPECT_EQ(platform.at("ADDRESS0"), std::string("Base Address", 13));
    EXPECT_EQ(platform.at("CLSID"), std::string(clsid.c_str(), 39));
    EXPECT_EQ(platform.size(), 3u);
    EXPECT_EQ(fake.keys["HKCR\\VisualDSP.Kulvaspe\\CLSID"].at(""), std::string(clsid.c_str(), 39));
    EXPECT_EQ(fake.keys["HKCR\\VisualDSP.Kulvaspe"].at(""),
              std::string("VisualDSP SHARC Emulator Target Component", 42));
    EXPECT_EQ(fake.keys[inproc_key].at(""), std::string("C:\\VDSP\\system\\kulvaspe.dll", 28));
    EXPECT_EQ(fake.keys[inproc_key].size(), 1u);

    std::vector<std::string> creates;
    for (const std::string &call : fake.calls)
        if (call.rfind("create ", 0) == 0)
            creates.push_back(call.substr(7));
    std::vector<std::string> expected = { platform_key, host_key, "HKCR\\VisualDSP.Kulvaspe\\CLSID",
                                          "HKCR\\VisualDSP.Kulvaspe", inproc_key };
    EXPECT_EQ(creates, expected);
}

TEST_F(Registration, JoinsTheSystemFolderWithExactlyOneSeparator)
{
    const char *install_paths[] = { "C:\\VDSP", "C:\\VDSP\\", "C:/VDSP/" };
    const char *registered[] = { "C:\\VDSP\\system\\kulvaspe.dll", "C:\\VDSP\\system\\kulvaspe.dll",
                                 "C:/VDSP/system\\kulvaspe.dll" };
    for (int i = 0; i < 3; i++) {
        reset_fake_platform();
        seed_install_path(install_paths[i]);
        ASSERT_EQ(run(printed), 0) << install_paths[i];
        EXPECT_EQ(fake.keys[inproc_key].at(""), std::string(registered[i]) + '\0');
    }
}

TEST_F(Registration, EachFailingStepPrintsItsMessageKeepsEarlierValuesAndReleasesItsKey)
{
    const std::string progid_key = "HKCR\\VisualDSP.Kulvaspe", host = host_key,
                      create = "create registry key ";
    struct Step {
        std::string call;      // the failing call, as the fake records it
        std::string message;   // after "ERROR: Can't "
        size_t values_before;  // values set before the failure, Install Path included
    };
    const Step steps[] = {
        { "create " + platform_key,
          create + "SOFTWARE\\Analog Devices\\VisualDSP++ 4.0\\Targets\\Platform Types\\Tarnwick", 1 },
        { "set " + platform_key + ":DESCRIPTION", create + "DESCRIPTION", 1 },
        { "set " + platform_key + ":ADDRESS0", create + "ADDRESS0", 2 },
        { "set " + platform_key + ":CLSID", create + "CLSID", 3 },
        { "create " + host, "open registry key SOFTWARE\\Analog Devices\\VisualDSP++ 4.0", 4 },
        { "query " + host + ":Install Path", "find registry data Install Path", 4 },
        { "create " + progid_key + "\\CLSID", create + "HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe\\CLSID", 4 },
        { "set " + progid_key + "\\CLSID:",
          create + "default for HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe\\CLSID", 4 },
        { "create " + progid_key, create + "HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe", 5 },
        { "set " + progid_key + ":", create + "default for HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe", 5 },
        { "create " + inproc_key, create + "CLSID\\{5E2B07A4-91C3-4F6D-A8E0-3B7D19C64F52}\\InprocServer32",
          6 },
        { "set " + inproc_key + ":", create + "default for KULVASPE.DLL", 6 },
    };
    for (const Step &step : steps) {
        reset_fake_platform();
        seed_install_path("C:\\VDSP\\");
        fake.fail_call = step.call;
        EXPECT_EQ(run(printed), -1) << step.call;
        EXPECT_EQ(printed, "ERROR: Can't " + step.message + "\n") << step.call;
        EXPECT_EQ(values_set(), step.values_before) << step.call;
        EXPECT_TRUE(fake.open_keys.empty()) << step.call;
        // Nothing is attempted after the failing call but the release of the key held.
        auto failed = std::find(fake.calls.begin(), fake.calls.end(), step.call);
        ASSERT_NE(failed, fake.calls.end()) << step.call;
        for (auto later = failed + 1; later != fake.calls.end(); ++later)
            EXPECT_EQ(later->rfind("close ", 0), 0u) << *later;
    }
}

TEST_F(Registration, AnInstallPathTooLongForTheComponentPathWritesNoClassKey)
{
    seed_install_path(std::string(236, 'p') + "\\");  // 237 + 19 appended = 256, no room to end it
    EXPECT_EQ(run(printed), -1);
    EXPECT_EQ(printed, "ERROR: Install Path too long\n");
    for (const std::string &call : fake.calls)
        EXPECT_EQ(call.find("HKCR"), std::string::npos) << call;

    reset_fake_platform();
    seed_install_path(std::string(235, 'p') + "\\");  // just fits: 255 and its terminator
    ASSERT_EQ(run(printed), 0);
    EXPECT_EQ(fake.keys[inproc_key].at("").size(), 256u);
}

using ComponentCopy = Registration;

TEST_F(ComponentCopy, AlwaysInsertsABackslashBeforeSystem)
{
    seed_install_path("C:\\VDSP\\");
    ASSERT_EQ(run(printed, copy_component), 0);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(fake.calls.back(), "copy kulvaspe.dll -> C:\\VDSP\\\\system\\kulvaspe.dll");

    reset_fake_platform();
    seed_install_path("C:\\VDSP");
    ASSERT_EQ(run(printed, copy_component), 0);
    EXPECT_EQ(fake.calls.back(), "copy kulvaspe.dll -> C:\\VDSP\\system\\kulvaspe.dll");
}

TEST_F(ComponentCopy, ReportsEachFailureOnceAndNeverCopiesWithoutAPath)
{
    seed_install_path("C:\\VDSP\\");
    fake.fail_call = "copy kulvaspe.dll -> C:\\VDSP\\\\system\\kulvaspe.dll";
    EXPECT_EQ(run(printed, copy_component), -1);
    EXPECT_EQ(printed, "ERROR: Can't copy file KULVASPE.DLL\n");

    reset_fake_platform();  // no Install Path
    EXPECT_EQ(run(printed, copy_component), -1);
    EXPECT_EQ(printed, "ERROR: Can't find registry data Install Path\n");
    EXPECT_EQ(fake.calls.back().rfind("close ", 0), 0u);

    reset_fake_platform();
    seed_install_path(std::string(235, 'p') + "\\");  // 236 + 20 appended = 256
    EXPECT_EQ(run(printed, copy_component), -1);
    EXPECT_EQ(printed, "ERROR: Install Path too long\n");
    EXPECT_EQ(fake.calls.back().rfind("close ", 0), 0u);
}

}  // namespace
