// The registry file as regedit reads it, in both forms: what a file means,
// and that an edit changes only the lines it must.
#include <gtest/gtest.h>

#include "reg_edit.h"
#include "text_encoding.h"

namespace {

using namespace std::string_literals;

const std::string ABSENT = "(absent)";
const std::string V4 = "REGEDIT4\n", V5 = "Windows Registry Editor Version 5.00\r\n";

// The same file as version 5.00 bytes: UTF-16 of the code page 1252 text,
// with CRLF line ends when asked.
std::string as_version5(std::string ansi_body, bool crlf = false)
{
    for (size_t at = 0; crlf && (at = ansi_body.find('\n', at)) != std::string::npos; at += 2)
        ansi_body.replace(at, 1, "\r\n");
    return "\xFF\xFE" + utf8_to_utf16le(ansi_to_utf8(V5 + ansi_body));
}

RegDocument read_bytes(const std::string &bytes)
{
    RegDocument doc;
    size_t line = 0;
    std::string what;
    EXPECT_TRUE(read_document(bytes, doc, &line, what)) << line << ": " << what;
    return doc;
}

// A value by key and name given in code page 1252, as the registry calls give them.
std::string query(const RegDocument &doc, const std::string &key, const std::string &name)
{
    ValueLine value;
    uint32_t line;
    return find_value(doc, ansi_to_utf8(key), ansi_to_utf8(name), value, &line) ? value_ansi_bytes(doc, value)
                                                                                : ABSENT;
}

struct Meaning {
    std::string body;  // after the first line
    const char *key, *name;
    std::string bytes;  // as the ANSI calls read it, or ABSENT
};

const Meaning meanings[] = {
    { "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"1\"\n[HKEY_LOCAL_MACHINE\\O]\n[HKEY_LOCAL_MACHINE\\K]\n\"B\"=\"2\"\n",
      "HKEY_LOCAL_MACHINE\\K", "a", std::string("1\0", 2) },
    { "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"1\"\n[hkey_local_machine\\k]\n\"a\"=dword:2\n",
      "HKEY_LOCAL_MACHINE\\K", "A", std::string("\2\0\0\0", 4) },
    { "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"1\"\n\"A\" = - ; gone\n", "HKEY_LOCAL_MACHINE\\K", "A", ABSENT },
    { "[HKEY_LOCAL_MACHINE\\K\\S]\n\"A\"=\"1\"\n[-HKEY_LOCAL_MACHINE\\k]\n[HKEY_LOCAL_MACHINE\\K\\S]\n",
      "HKEY_LOCAL_MACHINE\\K\\S", "A", ABSENT },
    { "[HKEY_LOCAL_MACHINE\\K]\n[-HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"after a deletion: nobody's\"\n",
      "HKEY_LOCAL_MACHINE\\K", "A", ABSENT },
    { "; note\n[HKEY_LOCAL_MACHINE\\K]\n  @ = hex:41,\\ \t\n ; between\n\n  42, 43 ; end\n",
      "HKEY_LOCAL_MACHINE\\K", "", "ABC" },
    { "[HKEY_LOCAL_MACHINE\\K]\r\"A\"=\"a\\\\b\\\"c\\nd\\qe\"  ; comment\r\n", "HKEY_LOCAL_MACHINE\\K", "A",
      std::string("a\\b\"c\ndqe\0", 10) },
    { "[HKEY_LOCAL_MACHINE\\Gr\xdc\xdf"
      "e]\n\"\xc4\"=\"\x80 \xfc\"\n",
      "HKEY_LOCAL_MACHINE\\gr\xfc\xdf"
      "e",
      "\xe4", std::string("\x80 \xfc\0", 4) },
    { "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=hex:\n", "HKEY_LOCAL_MACHINE\\K", "A", "" },
    // Lines reg import skips: the values around them stand. A hex list that
    // breaks takes the lines read so far (a key line too) with it.
    { "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"1\"\n\"A\"=dword:000000018\n\"A\"=qword:1\n\"A\"=\"2\" x\n\"A\"=\"3\n"
      "\"A\"dword:1\n\"A\"=\"a\\0b\"\n\"A\"=hex:01 ,02\n\"A\"=hex(0x1):00\nstray\n",
      "HKEY_LOCAL_MACHINE\\K", "A", "1\0"s },
    { "[HKEY_LOCAL_MACHINE\\K]\n\"B\"=hex:01,\\\n\n[HKEY_LOCAL_MACHINE\\O]\n\"A\"=\"1\"\n",
      "HKEY_LOCAL_MACHINE\\K", "A", "1\0"s },
    { "[HKEY_LOCAL_MACHINE\\K]\n\"B\"=hex:01,zz,\\\n\"A\"=hex:02,\\\n# no comment here\n"
      "\"A\"=hex: 0x1,+2,\v3,-ffffffff,0004\n",
      "HKEY_LOCAL_MACHINE\\K", "A", "\x01\x02\x03\x01\x04" },
    // Key lines it skips leave the key before; the values under keys it
    // cannot open or delete belong to no key.
    { "[HKEY_LOCAL_MACHINE\\K]\n[HKEY_LOCAL_MACHINE\\O\n\"A\"=\"1\"\n[ "
      "HKEY_LOCAL_MACHINE\\O]\n[HKEY_LOCAL_MACHINE\\\\K]\n"
      "\"A\"=\"2\"\n[HKEY_NOWHERE\\K]\n\"A\"=\"3\"\n[-HKEY_LOCAL_MACHINE]\n\"A\"=\"4\"\n",
      "HKEY_LOCAL_MACHINE\\K", "A", "1\0"s },
    { "[hklm\\K\\\\S\\]  ; note\n\"A\"=\"1\"\n", "HKEY_LOCAL_MACHINE\\K\\S", "A", "1\0"s },
    { "\"A\"=\"0\"\n[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"1\"\0\"A\"=\"2\"\n", "HKEY_LOCAL_MACHINE\\K", "A",
      "1\0"s },
};

TEST(RegistryText, MeansWhatRegeditMakesOfItInEitherForm)
{
    for (const Meaning &m : meanings) {
        EXPECT_EQ(query(read_bytes(V4 + m.body), m.key, m.name), m.bytes) << m.body;
        EXPECT_EQ(query(read_bytes(V5 + m.body), m.key, m.name), m.bytes) << m.body;
        EXPECT_EQ(query(read_bytes(as_version5(m.body)), m.key, m.name), m.bytes) << m.body;
    }
    // Only UTF-16 holds text beyond code page 1252, and UTF-16 hex(2); 8-bit files hold ANSI.
    RegDocument wide =
        read_bytes(as_version5("") + utf8_to_utf16le("[HKEY_USERS\\K]\r\n\"A\"=\"\xce\xa9\xe2\x82\xac\"\r\n"
                                                     "\"B\"=hex(2):41,00,3f,26,00,00\r\n"));
    EXPECT_EQ(query(wide, "HKEY_USERS\\K", "A"), std::string("?\x80\0", 3));
    EXPECT_EQ(query(wide, "HKEY_USERS\\K", "B"), std::string("A?\0", 3));
    RegDocument narrow = read_bytes(V5 + "[HKEY_USERS\\K]\n\"B\"=hex(2):41,00,3f,26,00,00\n");
    EXPECT_EQ(query(narrow, "HKEY_USERS\\K", "B"), "A\0?&\0\0"s);
}

TEST(RegistryText, AnEditChangesOnlyTheLinesItMustAndReadsBackInEitherForm)
{
    const std::string before = "; exported\r\r\n[HKEY_LOCAL_MACHINE\\K]\n\"A\"=hex(1):78,\\\n  00\n\n"
                               "[HKEY_LOCAL_MACHINE\\K]\n\"B\"=\"b\"\n; tail\n[-HKEY_CLASSES_ROOT\\C]\n"
                               "[HKEY_LOCAL_MACHINE\\D]\n\"Gone\"=-";
    const std::string after =
        "; exported\r\r\n[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"new\"\n\n"
        "[HKEY_LOCAL_MACHINE\\K]\n\"B\"=\"b\"\n\"C\"=\"two \\\"lines\\\"\"\n; tail\n"
        "[-HKEY_CLASSES_ROOT\\C]\n[HKEY_LOCAL_MACHINE\\D]\n\"Gone\"=-\n\"gone\"=\"back\"\n\n"
        "[HKEY_CLASSES_ROOT\\C\\New]\n@=hex(1):6c,0a,00\n";
    const std::string sets[][3] = {
        { "HKEY_LOCAL_MACHINE\\K", "a", std::string("new\0", 4) },
        { "HKEY_LOCAL_MACHINE\\k", "C", std::string("two \"lines\"\0", 12) },
        { "HKEY_LOCAL_MACHINE\\D", "gone", std::string("back\0", 5) },
        { "HKEY_CLASSES_ROOT\\C\\New", "", std::string("l\n\0", 3) },
    };
    for (int form : { 0, 1, 2 }) {  // REGEDIT4; version 5.00 in 8-bit text, in UTF-16
        bool wide = form == 2;
        std::string first = form ? "Windows Registry Editor Version 5.00\n" : V4;
        RegDocument doc = read_bytes(wide ? as_version5(before, true) : first + before);
        EXPECT_FALSE(create_key(doc, "HKEY_LOCAL_MACHINE\\k"));
        EXPECT_TRUE(create_key(doc, "HKEY_CLASSES_ROOT\\C\\New"));
        for (const auto &set : sets)
            EXPECT_TRUE(set_string_value(doc, set[0], set[1], set[2])) << set[1];
        EXPECT_FALSE(set_string_value(doc, "HKEY_LOCAL_MACHINE\\K", "A", std::string("new\0", 4)));
        std::string written;
        write_document(doc, written);
        // UTF-16 holds the string that cannot be text as UTF-16.
        std::string wide_after = after;
        wide_after.replace(wide_after.find("6c,0a,00"), 8, "6c,00,0a,00,00,00");
        EXPECT_EQ(written, wide ? as_version5(wide_after, true) : first + after);
        RegDocument again = read_bytes(written);
        for (const auto &set : sets)
            EXPECT_EQ(query(again, set[0], set[1]), set[2]) << wide << set[1];
        EXPECT_EQ(query(again, "HKEY_LOCAL_MACHINE\\K", "B"), std::string("b\0", 2));
    }
}

}  // namespace
