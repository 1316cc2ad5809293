// The Linux registry stand-in against real files in a temporary folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "scratch_folder.h"
#include "tessaran_platform.h"
#include "text_encoding.h"

namespace {

class RegistryFile : public ::testing::Test {
  protected:
    void SetUp() override { setenv("TESSARAN_REGISTRY", path.c_str(), 1); }

    void write(const std::string &text) { std::ofstream(path, std::ios::binary) << text; }
    std::string read() const { return file_text(path); }
    long set(RegistryRoot root, const char *key_name, const char *name, const std::string &bytes)
    {
        RegistryKey key;
        long result = registry_create_key(root, key_name, &key);
        if (result != 0)
            return result;
        result = registry_set_string(key, name, bytes.data(), (uint32_t)bytes.size());
        registry_close_key(key);
        return result;
    }
    long query(const char *key_name, const char *name, std::string &bytes, uint32_t room = 256,
               RegistryRoot root = ROOT_LOCAL_MACHINE)
    {
        RegistryKey key;
        long result = registry_create_key(root, key_name, &key);
        if (result != 0)
            return result;
        std::string buffer(room, '#');
        uint32_t size = room;
        result = registry_query_value(key, name, &buffer[0], &size);
        registry_close_key(key);
        bytes = result == 0 ? buffer.substr(0, size) : "";
        return result;
    }

    ScratchFolder scratch;
    std::string folder = scratch.path, path = folder + "/registry.reg";
};

TEST_F(RegistryFile, KeepsUnrelatedKeysAndMatchesNamesWhateverTheirCase)
{
    write("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n\"Count\"=dword:0000002a\r\n"
          "\"Blob\"=hex:01,02,\\\r\n  03\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Analog Devices]\r\n"
          "\"Install Path\"=\"C:\\\\VDSP\\\\\"\r\n");
    ASSERT_EQ(set(ROOT_LOCAL_MACHINE, "software\\analog devices", "INSTALL PATH", std::string("D:\\\0", 4)),
              0);
    EXPECT_EQ(read(),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n\"Count\"=dword:0000002a\r\n"
              "\"Blob\"=hex:01,02,\\\r\n  03\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Analog Devices]\r\n"
              "\"Install Path\"=\"D:\\\\\"\r\n");
    std::string bytes;
    ASSERT_EQ(query("Software\\Other", "count", bytes), 0);
    EXPECT_EQ(bytes, std::string("\x2a\0\0\0", 4));
    ASSERT_EQ(query("Software\\Other", "Blob", bytes), 0);
    EXPECT_EQ(bytes, "\x01\x02\x03");
}

TEST_F(RegistryFile, StoresEveryByteAndReadsItBackExactly)
{
    const std::string values[] = {
        std::string("quote \" and backslash \\\0", 25),
        std::string("no terminator"),
        std::string("line\r\nbreak\0", 12),
        std::string("two\0terminators\0", 16),
        std::string(),
    };
    for (const std::string &value : values) {
        ASSERT_EQ(set(ROOT_CLASSES_ROOT, "VisualDSP.Kulvaspe", "", value), 0);
        std::string bytes;
        EXPECT_EQ(query("VisualDSP.Kulvaspe", "", bytes, 64, ROOT_CLASSES_ROOT), 0);
        EXPECT_EQ(bytes, value);
    }
}

TEST_F(RegistryFile, ReportsMissingAndOversizedValues)
{
    write("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n\"Long\"=\"0123456789\"\n");
    std::string bytes;
    EXPECT_NE(query("K", "Absent", bytes), 0);
    EXPECT_NE(query("K", "Long", bytes, 10), 0);  // 11 bytes with the terminator
    EXPECT_EQ(query("K", "Long", bytes, 11), 0);
    EXPECT_EQ(bytes, std::string("0123456789", 11));

    RegistryKey key;  // no buffer: the size alone, as RegQueryValueExA gives it
    ASSERT_EQ(registry_create_key(ROOT_LOCAL_MACHINE, "K", &key), 0);
    uint32_t size = 0;
    EXPECT_EQ(registry_query_value(key, "Long", nullptr, &size), 0);
    EXPECT_EQ(size, 11u);
    registry_close_key(key);
}

// Names cross as ANSI bytes (code page 1252), as through the calls ending in A.
TEST_F(RegistryFile, NamesAreAnsiBytes)
{
    ASSERT_EQ(set(ROOT_LOCAL_MACHINE, "Caf\xE9", "Ren\xE9", std::string("x\0", 2)), 0);
    EXPECT_EQ(read(), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Caf\xE9]\n\"Ren\xE9\"=\"x\"\n");
    std::string bytes;
    ASSERT_EQ(query("Caf\xE9", "Ren\xE9", bytes), 0);
    EXPECT_EQ(bytes, std::string("x\0", 2));
}

// A key someone took out of the file after it was opened is gone, as in the
// registry: its handle sets and reads nothing, and the file stays as it is.
TEST_F(RegistryFile, AKeyDeletedMeanwhileTakesNoValue)
{
    RegistryKey key;
    ASSERT_EQ(registry_create_key(ROOT_LOCAL_MACHINE, "K", &key), 0);
    write("REGEDIT4\r\n\r\n");
    EXPECT_EQ(registry_set_string(key, "V", "x", 2), 1018);  // ERROR_KEY_DELETED
    char buffer[8];
    uint32_t size = sizeof buffer;
    EXPECT_EQ(registry_query_value(key, "V", buffer, &size), 1018);
    registry_close_key(key);
    EXPECT_EQ(read(), "REGEDIT4\r\n\r\n");
}

TEST_F(RegistryFile, RefusesAFileReimportRefusesAndGoesOnPastALineItSkipsNamingTheLine)
{
    const std::string v5 = "\xFF\xFE" + utf8_to_utf16le("Windows Registry Editor Version 5.00\r\n");
    const struct {
        std::string text;
        int line;
        bool refused;  // else the line is skipped and kept, and the value set in a key of its own
    } files[] = {
        { "REGEDIT5\n", 1, true },
        { "Windows Registry Editor Version 5.00 \r\n", 1, true },
        { "\xEF\xBB\xBFREGEDIT4\n", 1, true },
        { v5 + utf8_to_utf16le("[HKEY_LOCAL_MACHINE\\K]\r\n") + "A", 3, true },
        { v5 + std::string("\x00\xD8\r\x00\n\x00", 6), 2, true },
        { "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K\n", 2, false },
        { "REGEDIT4\n\"Value\"=\"before any key\"\n", 2, false },
        { "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"V\"=hex:01,\\\n\n[HKEY_NOWHERE\\K]\n", 5, false },
        { "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\nstray text\n\"V\"=\"a\\0b\"\n", 3, false },
        { "Windows Registry Editor Version 5.00\n[HKLM\\K]\n\"A\"=dword:000000018\n", 3, false },
    };
    for (const auto &file : files) {
        write(file.text);
        testing::internal::CaptureStderr();
        long result = set(ROOT_LOCAL_MACHINE, "New", "V", std::string("x\0", 2));
        std::string told = testing::internal::GetCapturedStderr(), bytes;
        EXPECT_NE(told.find(":" + std::to_string(file.line) + ": "), std::string::npos) << file.text;
        EXPECT_NE(told.find(file.refused ? "; left unchanged\n" : " ignored\n"), std::string::npos) << told;
        if (file.refused) {
            EXPECT_NE(result, 0) << file.text;
            EXPECT_EQ(read(), file.text);
        } else {
            EXPECT_EQ(result, 0) << file.text;
            EXPECT_EQ(query("New", "V", bytes), 0);
            EXPECT_EQ(bytes, std::string("x\0", 2)) << file.text;
            EXPECT_EQ(read().substr(0, file.text.size()), file.text);
        }
    }
}

TEST_F(RegistryFile, ALinkToNothingOrToAFolderGetsAnErrorAndNothingWritten)
{
    mkdir((folder + "/sub").c_str(), 0755);
    const std::pair<const char *, long> targets[] = { { "missing.reg", 1921 }, { "sub", 5 } };
    for (const auto &[target, code] : targets) {
        unlink(path.c_str());
        ASSERT_EQ(symlink(target, path.c_str()), 0);
        testing::internal::CaptureStderr();
        EXPECT_EQ(set(ROOT_LOCAL_MACHINE, "K", "V", std::string("x\0", 2)), code) << target;
        EXPECT_NE(testing::internal::GetCapturedStderr().find(target), std::string::npos) << target;
        EXPECT_EQ(
            system(("test -z \"$(ls -A '" + folder + "/sub')\" && test ! -e '" + folder + "/missing.reg'")
                       .c_str()),
            0);
    }
}

// A line break would split a line of the file; an empty part in a key name the
// registry refuses (two separators in a row, one at either end).
TEST_F(RegistryFile, RefusesNamesWithALineBreakOrAnEmptyKeyNameAndLeavesTheFileReadable)
{
    const std::string text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n\"V\"=\"x\"\n\n";
    write(text);
    const std::pair<const char *, const char *> refused[] = {
        { "K", "two\nlines" }, { "K\\two\nlines", "V" }, { "K\\\\B", "V" }, { "\\K", "V" }, { "K\\", "V" },
    };
    for (const auto &[key_name, name] : refused)
        EXPECT_EQ(set(ROOT_LOCAL_MACHINE, key_name, name, std::string("y\0", 2)), 87) << key_name;
    EXPECT_EQ(read(), text);
    EXPECT_EQ(set(ROOT_LOCAL_MACHINE, "K", "cr\r", std::string("y\0", 2)), 0)
        << "a CR alone is no line break";
    std::string bytes;
    ASSERT_EQ(query("K", "cr\r", bytes), 0);
    EXPECT_EQ(bytes, std::string("y\0", 2));
}

TEST_F(RegistryFile, FailsWhenTheFileCannotBeWritten)
{
    setenv("TESSARAN_REGISTRY", (folder + "/missing/registry.reg").c_str(), 1);
    RegistryKey key;
    testing::internal::CaptureStderr();
    EXPECT_EQ(registry_create_key(ROOT_LOCAL_MACHINE, "K", &key), 3);  // ERROR_PATH_NOT_FOUND
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
}

TEST(FileCopy, ReplacesTheDestinationAndFailsWithoutSourceOrFolder)
{
    ScratchFolder scratch;
    const std::string &folder = scratch.path;
    std::ofstream(folder + "/new.dll") << "new";
    chmod((folder + "/new.dll").c_str(), 0640);
    mkdir((folder + "/system").c_str(), 0755);
    std::ofstream(folder + "/system/k.dll") << "old and longer";

    EXPECT_EQ(copy_file_replacing((folder + "/new.dll").c_str(), (folder + "\\system\\\\k.dll").c_str()), 0);
    EXPECT_EQ(file_text(folder + "/system/k.dll"), "new");
    struct stat copied;
    ASSERT_EQ(stat((folder + "/system/k.dll").c_str(), &copied), 0);
    EXPECT_EQ(copied.st_mode & 07777, 0640u) << "the source's permissions, as CopyFileA keeps attributes";

    EXPECT_EQ(copy_file_replacing((folder + "/absent.dll").c_str(), (folder + "/system/k.dll").c_str()), 2);
    EXPECT_EQ(copy_file_replacing((folder + "/new.dll").c_str(), (folder + "/nosuch/k.dll").c_str()), 3);
}

}  // namespace
