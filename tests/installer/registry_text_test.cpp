// The registry file's text: what is read is written back and read the same,
// whatever mix of line ends the file came with.
#include <gtest/gtest.h>

#include "tessaran_regfile_linux.h"

namespace {

RegFile parsed(const std::string &text)
{
    RegFile file;
    int line = 0;
    std::string error;
    EXPECT_TRUE(parse_registry(text, file, line, error)) << line << ": " << error;
    return file;
}

TEST(RegistryText, ARewriteLosesNoCarriageReturnWhateverTheLineEnds)
{
    // A line ending in two CRs before its LF, in a file whose first line
    // ends in LF alone: once written back, the comment must read the same.
    const std::string texts[] = {
        "REGEDIT4\n; exported\r\r\n\n[HKEY_LOCAL_MACHINE\\K]\n; note\r\r\n\"V\"=\"x\"\r\r\n",
        "REGEDIT4\r\n; exported\r\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n; note\r\n\"V\"=\"x\"\r\n",
    };
    for (const std::string &text : texts) {
        RegFile first = parsed(text);
        std::string written = format_registry(first);
        RegFile second = parsed(written);
        ASSERT_EQ(first.preamble, second.preamble) << text;
        ASSERT_EQ(second.preamble, std::vector<std::string>{ "; exported" });
        ASSERT_EQ(second.keys.size(), 1u);
        ASSERT_EQ(second.keys[0].entries.size(), 2u);
        EXPECT_EQ(second.keys[0].entries[0].data, "; note");
        EXPECT_EQ(value_bytes(second.keys[0].entries[1]), std::string("x\0", 2));
        EXPECT_EQ(format_registry(second), written) << "a second rewrite changes nothing";
    }
}

TEST(RegistryText, ReadsAHexListWhoseBackslashHasBlanksAfterIt)
{
    RegFile file = parsed("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n\"A\"=hex:41,\\ \t\n  42,\\\n  43\n");
    ASSERT_EQ(file.keys.size(), 1u);
    RegEntry *value = find_value(file.keys[0], "a");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value_bytes(*value), "ABC");
    EXPECT_EQ(value_bytes(parsed(format_registry(file)).keys[0].entries[0]), "ABC");
}

}  // namespace
