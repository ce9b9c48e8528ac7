#include "persist/gbk.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::persist {
namespace {

TEST(Gbk, ConvertsTheSettingsTextsBothWays) {
    // The GBK bytes as the Windows code page 936 has them.
    const struct {
        const char* utf8;
        const char* gbk;
    } kCases[] = {
        {"", ""},
        {"abc=1 [x]", "abc=1 [x]"},
        {"配置", "\xC5\xE4\xD6\xC3"},
        {"真", "\xD5\xE6"},
        {"假", "\xBC\xD9"},
        {"2024年5月1日",
         "2024\xC4\xEA"
         "5\xD4\xC2"
         "1\xC8\xD5"},
        {"关闭显示器", "\xB9\xD8\xB1\xD5\xCF\xD4\xCA\xBE\xC6\xF7"},
        {"€", "\x80"},             // the one single-byte character above ASCII
        {"丂", "\x81\x40"},        // the first two-byte character
        {"\xC2\xB7", "\xA1\xA4"},  // middle dot
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk);
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8);
    }
}

TEST(Gbk, KeepsNulBytes) {
    const std::string gbk("a\0\xC5\xE4", 4);
    const std::string utf8("a\0配", 5);
    EXPECT_EQ(GbkToUtf8(gbk), utf8);
    EXPECT_EQ(Utf8ToGbk(utf8), gbk);
}

TEST(Gbk, BytesThatAreNotGbkComeBackUnchanged) {
    const struct {
        const char* name;
        std::string gbk;
        std::string utf8;
    } kCases[] = {
        {"a byte that starts nothing", "a\xFF-", "a\xEF\x9F\xBF-"},
        {"a lead byte at the end", "x\xC5", "x\xEF\x9F\x85"},
        {"a lead byte before a line end", "\xC5\r\n", "\xEF\x9F\x85\r\n"},
        {"a lead byte before a control byte", "\xC5\x01", "\xEF\x9F\x85\x01"},
        {"a lead byte before another lead", "\xFF\xC5\xE4", "\xEF\x9F\xBF配"},
        {"an unassigned pair", "\xA2\xA0", "\xEF\x9E\xA2\xEF\x9E\xA0"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8);
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk);
    }
}

TEST(Gbk, EveryByteAndEveryPairRoundTrips) {
    // Whatever a hand-edited file holds survives a read and a write of the value: all single
    // bytes, and all pairs that could form a two-byte character.
    for (int lead = 0; lead < 256; ++lead) {
        const std::string one(1, static_cast<char>(lead));
        ASSERT_EQ(Utf8ToGbk(GbkToUtf8(one)), one) << "byte " << lead;
        if (lead < 0x81) {
            continue;
        }
        for (int trail = 0x40; trail < 256; ++trail) {
            const std::string two{static_cast<char>(lead), static_cast<char>(trail)};
            ASSERT_EQ(Utf8ToGbk(GbkToUtf8(two)), two) << "bytes " << lead << " " << trail;
        }
    }
}

TEST(Gbk, TextWithoutAGbkFormBecomesQuestionMarks) {
    const struct {
        const char* name;
        std::string utf8;
        std::string gbk;
    } kCases[] = {
        {"a character outside the code page", "a😀b", "a?b"},
        {"a Korean syllable", "한", "?"},
        {"a lone continuation byte", "a\x80-", "a?-"},
        {"a cut sequence", "\xE9\x85", "??"},
        {"an overlong slash", "\xC0\xAF", "??"},
        {"an encoded surrogate", "\xED\xA0\x80", "???"},
        {"the escape of byte 0x80 typed in", "\xEF\x9E\x80", "\x80"},
        {"the private-use character below the escapes", "\xEF\x9D\xBF", "?"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk);
    }
}

TEST(Gbk, TellsUtf8FromOtherBytes) {
    EXPECT_TRUE(IsUtf8(""));
    EXPECT_TRUE(IsUtf8("/opt/我的 程序/velmora"));
    EXPECT_FALSE(IsUtf8("/opt/\xC5\xE4"));     // GBK
    EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(IsUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
}

}  // namespace
}  // namespace velmora::persist
