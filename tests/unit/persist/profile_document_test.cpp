#include "persist/profile_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "persist/gbk.h"

namespace velmora::persist {
namespace {

using namespace std::string_literals;

// Test files are written in UTF-8 for reading's sake and stored as GBK, as on disk.
std::string G(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

TEST(ProfileDocument, ReadsByTheProfileServiceRules) {
    const struct {
        const char* name;
        std::string file;
        const char* section;
        const char* key;
        std::string expected;
    } kCases[] = {
        {"a plain value", G("[配置1]\r\n配置=8\r\n"), "配置1", "配置", "8"},
        {"a GBK value", G("[配置4]\r\n配置=真\r\n"), "配置4", "配置", "真"},
        {"section and key in another case", G("[Mail]\r\nMAPI=1\r\n"), "mAIL", "mapi", "1"},
        {"letters in a mixed name", G("[配置A]\r\nKey=1\r\n"), "配置a", "kEY", "1"},
        // 丄 (0x81 0x41) and 乤 (0x81 0x61) are two characters whose second bytes happen to be
        // 'A' and 'a': only letters that stand alone are folded.
        {"second bytes are not letters", "[\x81\x41]\r\nk=1\r\n", "乤", "k", ""},
        {"second bytes match exactly", "[\x81\x41]\r\nk=1\r\n", "丄", "k", "1"},
        {"a ']' as a second byte", "[\x81\x5D]\r\nk=1\r\n", "乚", "k", "1"},
        {"blanks around the value", G("[a]\r\nk= \t 8 \t \r\n"), "a", "k", "8"},
        {"blanks around names", G("[ 配置1\t]\r\n  配置 \t=8\r\n"), " 配置1 ", "配置 ", "8"},
        {"double quotes", G("[a]\r\nk=\"真\"\r\n"), "a", "k", "真"},
        {"single quotes", "[a]\r\nk='a b'\r\n", "a", "k", "a b"},
        {"blanks outside the quotes go, inside stay", "[a]\r\nk=  ' 8 '  \r\n", "a", "k", " 8 "},
        {"one pair of quotes only", "[a]\r\nk=\"\"x\"\"\r\n", "a", "k", "\"x\""},
        {"quotes that do not pair", "[a]\r\nk=\"x'\r\n", "a", "k", "\"x'"},
        {"a quote at one end only", "[a]\r\nk=\"x\r\n", "a", "k", "\"x"},
        {"a lone quote", "[a]\r\nk=\"\r\n", "a", "k", "\""},
        {"empty quotes", "[a]\r\nk=''\r\n", "a", "k", ""},
        {"an empty value", "[a]\r\nk=\r\n", "a", "k", ""},
        {"an '=' in the value", "[a]\r\nk=a=b\r\n", "a", "k", "a=b"},
        {"a missing file", "", "a", "k", ""},
        {"a missing section", "[a]\r\nk=1\r\n", "b", "k", ""},
        {"a missing key", "[a]\r\nk=1\r\n", "a", "x", ""},
        {"the first section wins", "[a]\r\nk=1\r\n[A]\r\nk=2\r\n", "a", "k", "1"},
        {"the first key wins", "[a]\r\nk=1\r\nK=2\r\n", "a", "k", "1"},
        {"a key of a later duplicate is not seen", "[a]\r\nx=1\r\n[a]\r\nk=2\r\n", "a", "k", ""},
        {"a line without '=' is no key", "[a]\r\nk\r\n", "a", "k", ""},
        {"text after the header", "[a] ; note\r\nk=1\r\n", "a", "k", "1"},
        {"entries before any header", "k=1\r\n[a]\r\n", "a", "k", ""},
        {"a header without ']' opens nothing", "[b\r\nk=1\r\n", "b", "k", ""},
        {"a header without ']' ends its section", "[a]\r\n[b\r\nk=1\r\n", "a", "k", ""},
        {"the section before a broken header", "[a]\r\nk=1\r\n[b\r\nk=2\r\n", "a", "k", "1"},
        {"LF line ends", "[a]\nx=0\nk=1\n", "a", "k", "1"},
        {"no line end at the end", "[a]\r\nk=1", "a", "k", "1"},
        {"a stray carriage return", "[a]\r\nk=1\r\r\n", "a", "k", "1"},
        {"a byte-order mark", "\xEF\xBB\xBF[a]\r\nk=1\r\n", "a", "k", "1"},
        {"a byte-order mark later on", "[x]\r\n\xEF\xBB\xBF[a]\r\nk=1\r\n", "a", "k", ""},
        {"a NUL byte in the value", "[a]\r\nk=1\0002\r\n"s, "a", "k", "1\0002"s},
        {"bytes that are not GBK", "[a]\r\nk=\xFF\xC5\r\n", "a", "k", "\xEF\x9F\xBF\xEF\x9F\x85"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProfileDocument(c.file).value(c.section, c.key), c.expected);
    }
}

TEST(ProfileDocument, CutsLongValuesWithoutSplittingACharacter) {
    const std::string a(kMaxValueBytes, 'a');
    const std::string ten = a.substr(0, kMaxValueBytes - 2);  // 10 237 bytes
    const struct {
        const char* name;
        std::string value;
        std::string expected;  // GBK
    } kCases[] = {
        {"exactly the limit", a, a},
        {"one byte over", a + "b", a},
        {"a character that just fits", ten + G("配"), ten + G("配")},
        {"a character across the limit", ten + "x" + G("配"), ten + "x"},
        {"a lead byte without its pair at the limit", ten + "x\xC5\x01", ten + "x\xC5"},
        {"quotes are dropped before the cut", "\"" + a + "b\"", a},
        {"a megabyte", std::string(1 << 20, 'z'), std::string(kMaxValueBytes, 'z')},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string read = ProfileDocument("[a]\r\nk=" + c.value + "\r\n").value("a", "k");
        EXPECT_EQ(Utf8ToGbk(read), c.expected);
    }
}

TEST(ProfileDocument, ListsSectionNamesInFileOrder) {
    const struct {
        const char* name;
        std::string file;
        std::vector<std::string> expected;
    } kCases[] = {
        {"an empty file", "", {}},
        {"only entries", "k=1\r\n", {}},
        {"in file order",
         G("[配置16]\r\nk=1\r\n[配置1]\r\n[Mail]\r\n"),
         {"配置16", "配置1", "Mail"}},
        {"duplicates", "[a]\r\n[A]\r\n[a]\r\n", {"a", "A", "a"}},
        {"blanks trimmed, an empty name", " [ a b ] \r\n[]\r\n", {"a b", ""}},
        {"the first ']' ends the name", "[a]b]\r\n", {"a"}},
        {"a header without ']' is no section", "[a\r\n[b]\r\n", {"b"}},
        {"behind a byte-order mark", "\xEF\xBB\xBF[a]\n[b]", {"a", "b"}},
        {"names that are not GBK", "[\xFF]\r\n", {"\xEF\x9F\xBF"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const ProfileDocument document(c.file);
        EXPECT_EQ(document.sectionNames(), c.expected);
        EXPECT_EQ(document.sectionCount(), c.expected.size());
    }
}

TEST(ProfileDocument, ReadingChangesNoByte) {
    const std::string kFiles[] = {
        "",
        "\r\n\r\n",
        "[a]",
        "\xEF\xBB\xBF[a]\nk = ' v ' \n\n; note\r\n[b\r\nx\r\n",
        "\0[a]\0\r\n=\r\n\xFF\xFE"s,
        "\r\r\r\n\n\r",
    };
    for (const auto& file : kFiles) {
        SCOPED_TRACE(file);
        const ProfileDocument document(file);
        document.value("a", "k");
        document.sectionNames();
        EXPECT_EQ(document.bytes(), file);
    }
}

struct Write {
    const char* section;
    const char* key;
    const char* value;
};

TEST(ProfileDocument, WritesInPlaceOrAppendsAndKeepsTheRest) {
    const struct {
        const char* name;
        std::string before;
        std::vector<Write> writes;
        std::string after;
    } kCases[] = {
        {"into an empty file", "", {{"配置1", "配置", "8"}}, G("[配置1]\r\n配置=8\r\n")},
        {"sections in the order of their first write",
         "",
         {{"b", "k", "1"}, {"a", "k", "2"}, {"b", "k", "3"}},
         "[b]\r\nk=3\r\n[a]\r\nk=2\r\n"},
        {"a value in place, keeping the key's spelling and blanks and the line end",
         "[a]\r\n K = old \n[b]\r\n",
         {{"A", "k", "new"}},
         "[a]\r\n K =new\n[b]\r\n"},
        {"the first of duplicate keys", "[a]\nk=1\nk=2\n", {{"a", "k", "3"}}, "[a]\nk=3\nk=2\n"},
        {"the first of duplicate sections",
         "[a]\r\nk=1\r\n[a]\r\nk=2\r\n",
         {{"a", "k", "3"}, {"a", "x", "4"}},
         "[a]\r\nk=3\r\nx=4\r\n[a]\r\nk=2\r\n"},
        {"a new key after the section's last non-blank line",
         "[a]\r\nx=1\r\n; note\r\n\r\n \r\n[b]\r\n",
         {{"a", "k", "2"}},
         "[a]\r\nx=1\r\n; note\r\nk=2\r\n\r\n \r\n[b]\r\n"},
        {"a new key in a section of a header alone", "[a]", {{"a", "k", "1"}}, "[a]\r\nk=1\r\n"},
        {"a new key before a broken header",
         "[a]\r\n[b\r\nk=1\r\n",
         {{"a", "k", "2"}},
         "[a]\r\nk=2\r\n[b\r\nk=1\r\n"},
        {"a new section after a last line without end",
         "[a]\nx=1",
         {{"b", "k", "2"}},
         "[a]\nx=1\r\n[b]\r\nk=2\r\n"},
        {"a new section after lines of no section",
         "; note",
         {{"a", "k", "1"}},
         "; note\r\n[a]\r\nk=1\r\n"},
        {"a rewrite of a last line without end", "[a]\r\nk=1", {{"a", "k", "22"}}, "[a]\r\nk=22"},
        {"an empty value", "[a]\r\nk=1\r\n", {{"a", "k", ""}}, "[a]\r\nk=\r\n"},
        {"a value with blanks and quotes goes as given",
         "",
         {{"a", "k", " \" 8 \" "}},
         "[a]\r\nk= \" 8 \" \r\n"},
        {"blanks around names dropped", "", {{" a\t", " k ", "1"}}, "[a]\r\nk=1\r\n"},
        {"GBK names and values",
         "",
         {{"配置7", "配置", "2024年5月1日"}},
         G("[配置7]\r\n配置=2024年5月1日\r\n")},
        {"a ']' as a second byte of a name", "", {{"乚", "k", "1"}}, "[\x81\x5D]\r\nk=1\r\n"},
        {"bytes that are not GBK around a rewrite",
         "\xFF\r\n[a]\r\nk=\xC5\r\n\x81",
         {{"a", "k", "\xEF\x9F\xBF"}},
         "\xFF\r\n[a]\r\nk=\xFF\r\n\x81"},
        {"a header needs its '[' first",
         "\xFF[a]\r\nk=1\r\n",
         {{"a", "k", "2"}},
         "\xFF[a]\r\nk=1\r\n[a]\r\nk=2\r\n"},
        {"after a byte-order mark",
         "\xEF\xBB\xBF[a]",
         {{"a", "k", "1"}},
         "\xEF\xBB\xBF[a]\r\nk=1\r\n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ProfileDocument document(c.before);
        for (const Write& write : c.writes) {
            EXPECT_TRUE(document.setValue(write.section, write.key, write.value));
        }
        EXPECT_EQ(document.bytes(), c.after);
    }
}

TEST(ProfileDocument, WrittenValuesReadBack) {
    const struct {
        const char* value;
        const char* read;
    } kCases[] = {
        {"8", "8"},
        {"2024年5月1日", "2024年5月1日"},
        {"", ""},
        {"a=b;c#d[e]f", "a=b;c#d[e]f"},
        {"\xEF\x9F\xBF\xEF\x9F\x85", "\xEF\x9F\xBF\xEF\x9F\x85"},  // bytes that are not GBK
        {"  30 ", "30"},  // a box text's blanks are lost, as the service loses them
        {"'quoted'", "quoted"},
        {"😀", "?"},
    };
    const std::string kFiles[] = {"", "[a]\r\nk=old\r\n", "[a]\r\nx=1", "[A]\n\n[b]\n"};
    for (const auto& file : kFiles) {
        for (const auto& c : kCases) {
            SCOPED_TRACE(file + " <- " + c.value);
            ProfileDocument document(file);
            ASSERT_TRUE(document.setValue("a", "k", c.value));
            EXPECT_EQ(document.value("a", "k"), c.read);
            EXPECT_EQ(ProfileDocument(document.bytes()).value("a", "k"), c.read);
        }
    }
}

TEST(ProfileDocument, RefusesWhatCouldNotBeReadBack) {
    const Write kCases[] = {
        {"a]b", "k", "1"},  {"a\nb", "k", "1"},     {"a", "k=x", "1"},
        {"a", "[k", "1"},   {"a", "", "1"},         {"a", " ", "1"},
        {"a", "k\nx", "1"}, {"a", "k", "1\r\n[b]"}, {"a", "k", "\r"},
    };
    const std::string before = "[a]\r\nk=0\r\n";
    for (const Write& c : kCases) {
        SCOPED_TRACE(std::string(c.section) + " / " + c.key + " / " + c.value);
        ProfileDocument document(before);
        EXPECT_FALSE(document.setValue(c.section, c.key, c.value));
        EXPECT_EQ(document.bytes(), before);
    }
}

}  // namespace
}  // namespace velmora::persist
