#include <gtest/gtest.h>

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
    int run(std::string &printed)
    {
        testing::internal::CaptureStdout();
        int result = register_with_host();
        printed = testing::internal::GetCapturedStdout();
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
    struct Step {
        int call;  // index of the failing call in a successful run's call list
        const char *message;
        size_t values_before;  // values set before the failure, Install Path included
    };
    const Step steps[] = {
        { 0,
          "ERROR: Can't create registry key SOFTWARE\\Analog Devices\\VisualDSP++ 4.0\\Targets\\Platform "
          "Types\\Tarnwick\n",
          1 },
        { 1, "ERROR: Can't create registry key DESCRIPTION\n", 1 },
        { 2, "ERROR: Can't create registry key ADDRESS0\n", 2 },
        { 3, "ERROR: Can't create registry key CLSID\n", 3 },
        { 5, "ERROR: Can't open registry key SOFTWARE\\Analog Devices\\VisualDSP++ 4.0\n", 4 },
        { 6, "ERROR: Can't find registry data Install Path\n", 4 },
        { 8, "ERROR: Can't create registry key HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe\\CLSID\n", 4 },
        { 9, "ERROR: Can't create registry key default for HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe\\CLSID\n",
          4 },
        { 11, "ERROR: Can't create registry key HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe\n", 5 },
        { 12, "ERROR: Can't create registry key default for HKEY_CLASSES_ROOT\\VisualDSP.Kulvaspe\n", 5 },
        { 14,
          "ERROR: Can't create registry key CLSID\\{5E2B07A4-91C3-4F6D-A8E0-3B7D19C64F52}\\InprocServer32\n",
          6 },
        { 15, "ERROR: Can't create registry key default for KULVASPE.DLL\n", 6 },
    };
    for (const Step &step : steps) {
        reset_fake_platform();
        seed_install_path("C:\\VDSP\\");
        fake.fail_call = step.call;
        EXPECT_EQ(run(printed), -1) << "failing call " << step.call;
        EXPECT_EQ(printed, step.message) << "failing call " << step.call;
        EXPECT_EQ(values_set(), step.values_before) << "failing call " << step.call;
        EXPECT_TRUE(fake.open_keys.empty()) << "failing call " << step.call;
        // Nothing is attempted after a failure but the release of the key held.
        for (size_t i = (size_t)step.call + 1; i < fake.calls.size(); i++)
            EXPECT_EQ(fake.calls[i].rfind("close ", 0), 0u) << fake.calls[i];
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

class ComponentCopy : public Registration {
  protected:
    int copy(std::string &out)
    {
        testing::internal::CaptureStdout();
        int result = copy_component();
        out = testing::internal::GetCapturedStdout();
        return result;
    }
};

TEST_F(ComponentCopy, AlwaysInsertsABackslashBeforeSystem)
{
    seed_install_path("C:\\VDSP\\");
    ASSERT_EQ(copy(printed), 0);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(fake.calls.back(), "copy kulvaspe.dll -> C:\\VDSP\\\\system\\kulvaspe.dll");

    reset_fake_platform();
    seed_install_path("C:\\VDSP");
    ASSERT_EQ(copy(printed), 0);
    EXPECT_EQ(fake.calls.back(), "copy kulvaspe.dll -> C:\\VDSP\\system\\kulvaspe.dll");
}

TEST_F(ComponentCopy, ReportsEachFailureOnceAndNeverCopiesWithoutAPath)
{
    seed_install_path("C:\\VDSP\\");
    fake.fail_call = 3;  // the copy itself
    EXPECT_EQ(copy(printed), -1);
    EXPECT_EQ(printed, "ERROR: Can't copy file KULVASPE.DLL\n");

    reset_fake_platform();  // no Install Path
    EXPECT_EQ(copy(printed), -1);
    EXPECT_EQ(printed, "ERROR: Can't find registry data Install Path\n");
    EXPECT_EQ(fake.calls.back().rfind("close ", 0), 0u);

    reset_fake_platform();
    seed_install_path(std::string(235, 'p') + "\\");  // 236 + 20 appended = 256
    EXPECT_EQ(copy(printed), -1);
    EXPECT_EQ(printed, "ERROR: Install Path too long\n");
    EXPECT_EQ(fake.calls.back().rfind("close ", 0), 0u);
}

}  // namespace
