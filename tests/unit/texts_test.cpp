#include "schedule/texts.h"

#include <iconv.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "schedule/full_width_table.h"

namespace velmora::schedule {
namespace {

using namespace std::string_literals;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr double kSecond = 1.0 / 86400;

// 2024-01-05 at the given time of day.
DateTime Jan5(int hour, int minute, int second) {
    return MakeDateTime(2024, 1, 5, hour, minute, second);
}

// The system's GBK decoder, to check the fold table against.
class GbkDecoder {
public:
    GbkDecoder() : m_cd(iconv_open("UTF-8", "GBK")) {}
    ~GbkDecoder() {
        if (valid()) {
            iconv_close(m_cd);
        }
    }
    GbkDecoder(const GbkDecoder&) = delete;
    GbkDecoder& operator=(const GbkDecoder&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // The UTF-8 text of one two-byte GBK code, or nothing when GBK has no
    // character there.
    std::optional<std::string> decode(unsigned code) {
        char in[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        char out[8] = {};
        char* inPtr = in;
        char* outPtr = out;
        std::size_t inLeft = sizeof in;
        std::size_t outLeft = sizeof out;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);  // reset the state
        if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0) {
            return std::nullopt;
        }
        return std::string(out, outPtr);
    }

private:
    iconv_t m_cd;
};

std::string Utf8Of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// What a folded GBK code becomes: A3xx the byte minus 0x80, and four others.
std::optional<char> ExpectedFold(unsigned code) {
    if (code >= 0xA3A1 && code <= 0xA3FE) {
        return static_cast<char>((code & 0xFF) - 0x80);
    }
    switch (code) {
        case 0xA1A1:
            return ' ';
        case 0xA1AB:
            return '~';
        case 0xA1EE:
        case 0xA1EF:
            return '*';
        default:
            return std::nullopt;
    }
}

TEST(TextsTest, DateTimeToText) {
    const struct {
        double value;
        const char* text;
    } kCases[] = {
        {Jan5(0, 0, 0), "2024年1月5日"},
        {Jan5(9, 0, 0), "2024年1月5日9时"},
        {Jan5(9, 5, 0), "2024年1月5日9时5分"},
        {Jan5(9, 0, 7), "2024年1月5日9时0分7秒"},
        {Jan5(0, 0, 7), "2024年1月5日0时0分7秒"},
        {Jan5(0, 5, 0), "2024年1月5日0时5分"},
        {Jan5(23, 59, 59), "2024年1月5日23时59分59秒"},
        {Jan5(23, 59, 59) + 0.6 * kSecond, "2024年1月6日"},
        {-1.25, "1899年12月29日6时"},
        {kMinDateTime, "100年1月1日"},
        {kMaxDateTime, "9999年12月31日"},
        {1e9, "9999年12月31日"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value);
        EXPECT_EQ(DateTimeToText(c.value), c.text);
    }
}

TEST(TextsTest, IntAndBoolToText) {
    EXPECT_EQ(IntToText(29), "29");
    EXPECT_EQ(IntToText(-5), "-5");
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(5), "5");
    EXPECT_EQ(IntToText(kInt32Min), "-2147483648");
    EXPECT_EQ(BoolToText(true), "真");
    EXPECT_EQ(BoolToText(false), "假");
}

TEST(TextsTest, DoubleToTextIsPercentPoint13g) {
    const struct {
        double x;
        const char* text;
    } kCases[] = {
        {29, "29"},
        {2.5, "2.5"},
        {0.1, "0.1"},
        {-0.0, "-0"},
        {-1.25, "-1.25"},
        {100, "100"},
        {45296.5, "45296.5"},
        {1.0 / 3, "0.3333333333333"},
        {2.0 / 3, "0.6666666666667"},
        {1234567890123, "1234567890123"},
        {12345678901234, "1.234567890123e+13"},
        {1e15, "1e+15"},
        {0.0001, "0.0001"},
        {0.00001, "1e-05"},
        {1e300, "1e+300"},
        {-2.5e-300, "-2.5e-300"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x);
        EXPECT_EQ(DoubleToText(c.x), c.text);
    }
}

TEST(TextsTest, JoinAndCompareTexts) {
    // Joined texts carry no separators, so different parts can join alike.
    EXPECT_EQ(JoinTexts("2024年1月5日", IntToText(1), IntToText(15), IntToText(0)),
              "2024年1月5日1150");
    EXPECT_EQ(CompareTexts(JoinTexts("2024年1月5日", "1", "15", "0"),
                           JoinTexts("2024年1月5日"s, "11", "5", std::string_view("0"))),
              0);

    const struct {
        std::string a;
        std::string b;
        int order;
    } kCases[] = {
        {"", "", 0},           {"5", "5", 0},  {"05", "5", -1},  {"", "a", -1}, {"a", "ab", -1},
        {"ab", "a", 1},        {"b", "ab", 1}, {"\xE4", "a", 1},  // bytes compare unsigned
        {"a\0b"s, "a\0c"s, 0},  // a text ends at its first zero byte
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "'" << c.a << "' and '" << c.b << "'");
        const int order = CompareTexts(c.a, c.b);
        EXPECT_EQ((order > 0) - (order < 0), c.order);
    }
}

TEST(TextsTest, FoldTableMatchesTheGbkDecoder) {
    GbkDecoder gbk;
    ASSERT_TRUE(gbk.valid()) << "iconv has no GBK";

    std::set<unsigned> tableCodes;
    for (const FullWidthFold& fold : kFullWidthFolds) {
        SCOPED_TRACE(testing::Message() << std::hex << "GBK " << fold.gbk);
        tableCodes.insert(fold.gbk);
        EXPECT_EQ(gbk.decode(fold.gbk), Utf8Of(fold.codePoint));
        EXPECT_EQ(std::optional<char>(fold.ascii), ExpectedFold(fold.gbk));
    }

    // Every character GBK has: the listed ones fold, all others pass unchanged.
    std::set<unsigned> folded;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const unsigned code = lead << 8 | trail;
            const std::optional<std::string> text = gbk.decode(code);
            if (!text) {
                continue;
            }
            SCOPED_TRACE(testing::Message() << std::hex << "GBK " << code);
            if (const std::optional<char> ascii = ExpectedFold(code)) {
                EXPECT_EQ(FoldFullWidth(*text), std::string(1, *ascii));
                folded.insert(code);
            } else {
                EXPECT_EQ(FoldFullWidth(*text), *text);
            }
        }
    }
    EXPECT_EQ(folded.size(), 98u);
    EXPECT_EQ(tableCodes, folded);
}

TEST(TextsTest, FoldFullWidth) {
    const struct {
        std::string text;
        std::string folded;
    } kCases[] = {
        {"", ""},
        {"abc 123", "abc 123"},
        {"\x01\x1F\x7F", "\x01\x1F\x7F"},
        {"２０２４年１月５日", "2024年1月5日"},
        {"　７", " 7"},         // ideographic space
        {"＄￥～￣", "＄$~~"},  // GBK has ＄ at A1E7, not in A3
        {"☆★✩", "**✩"},
        {"😀", "😀"},
        // A character cut short by the end of the text is dropped.
        {"ab\xE4\xB8", "ab"},
        {"ab\xE4", "ab"},
        {"1\xF0\x9F\x98", "1"},
        {"\xEF\xBC", ""},
        // Bytes that are not a character pass unchanged.
        {"\xE4\xB8"
         "a",
         "\xE4\xB8"
         "a"},
        {"\x80\x80", "\x80\x80"},
        {"a\xFF", "a\xFF"},
        {"\xC0\xAF", "\xC0\xAF"},                  // overlong
        {"\xED\xA0\x80", "\xED\xA0\x80"},          // surrogate
        {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},  // above U+10FFFF
        {"1\0 2"s, "1"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "text '" << c.text << "'");
        EXPECT_EQ(FoldFullWidth(c.text), c.folded);
    }
}

TEST(TextsTest, TextToNumber) {
    const std::string zeros400(400, '0');
    const struct {
        std::string text;
        double number;
    } kCases[] = {
        {"", 0},
        {"abc", 0},
        {"30", 30},
        {"1e3", 1000},
        {"12abc", 12},
        {" 7", 7},
        {"\t\n\v\f\r 5", 5},
        {"１２", 12},
        {"　７", 7},
        {"１ｅ５", 1e5},
        {"＋４", 4},
        {"-2.5", -2.5},
        {"+4", 4},
        {".5", 0.5},
        {"5.", 5},
        {"0.1", 0.1},
        {"0009", 9},
        {"1.5e2x", 150},
        {"1d3", 1000},
        {"1D-2", 0.01},
        {"3E+2", 300},
        {"2e", 2},
        {"2e+", 2},
        {"2ex5", 2},
        {"1,5", 1},
        {"1 000", 1},
        {".", 0},
        {"-", 0},
        {"+-3", 0},
        {"- 3", 0},
        {".e5", 0},
        {"0x10", 0},
        {"inf", 0},
        {"nan", 0},
        {"\x01"
         "5",
         0},
        {"\xFF"
         "5",
         0},
        {"5\xFF", 5},
        {"12345678901234567890", 12345678901234567890.0},
        {"9007199254740993", 9007199254740992.0},  // to the nearest double, ties to even
        // Too large gives infinity, too small 0.
        {"1e400", kInf},
        {"-1e400", -kInf},
        {"1e-400", 0},
        {"1.8e308", kInf},
        {"-1.8e308", -kInf},
        {"1.7976931348623157e308", std::numeric_limits<double>::max()},
        {"4.9e-324", std::numeric_limits<double>::denorm_min()},
        {"2e-324", 0},
        {"1e99999999999999999999999", kInf},
        {"1e-99999999999999999999999", 0},
        {"0e99999999999999999999999", 0},
        {"1" + zeros400, kInf},
        {"0." + zeros400 + "1e400", 0.1},
        {zeros400 + "25e-1", 2.5},
        {std::string(10'000, '1') + "e-9999", 1.11111111111111111111111111},
        {std::string(10'000, '9'), kInf},
        {std::string(10'000, 'a'), 0},
        {std::string(10'000, ' ') + "5", 5},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "text '" << c.text.substr(0, 40) << "'");
        EXPECT_EQ(TextToNumber(c.text), c.number);
    }
    EXPECT_TRUE(std::signbit(TextToNumber("-0")));
    EXPECT_TRUE(std::signbit(TextToNumber("-1e-400")));
}

TEST(TextsTest, TextToInt) {
    const struct {
        std::string text;
        std::int32_t number;
    } kCases[] = {
        {"", 0},
        {"abc", 0},
        {"42", 42},
        {"-17x", -17},
        {" +8", 8},
        {"\t\r\n9", 9},
        {"１２３", 123},
        {"　－５", -5},
        {"3.9", 3},
        {"1e3", 1},
        {"0009", 9},
        {"-", 0},
        {"\xFF"
         "7",
         0},
        // Beyond 32 bits the result stays at the limit.
        {"2147483647", kInt32Max},
        {"2147483648", kInt32Max},
        {"-2147483648", kInt32Min},
        {"-2147483649", kInt32Min},
        {"99999999999999999999999", kInt32Max},
        {std::string(10'000, '9'), kInt32Max},
        {"-" + std::string(10'000, '9'), kInt32Min},
        {std::string(10'000, '0') + "12", 12},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "text '" << c.text.substr(0, 40) << "'");
        EXPECT_EQ(TextToInt(c.text), c.number);
    }
}

TEST(TextsTest, TextToDateTime) {
    const DateTime kFailed = kMinDateTime;
    const struct {
        std::string text;
        double value;
    } kCases[] = {
        {"2024年1月5日", Jan5(0, 0, 0)},
        {"2024-1-5", Jan5(0, 0, 0)},
        {"2024.1.5", Jan5(0, 0, 0)},
        {"2024:01:05", Jan5(0, 0, 0)},
        {"2024/01/05 09:05:07", Jan5(9, 5, 7)},
        {"2024年1月5日9时5分7秒", Jan5(9, 5, 7)},
        {"2024年1月5日9时5分7", Jan5(9, 5, 7)},
        {"2024年1月5日9时", Jan5(9, 0, 0)},
        {"2024年1月5日9时5分", Jan5(9, 5, 0)},
        {"２０２４年１月５日９時", kFailed},  // 時 is not 时
        {"２０２４年１月５日９时", Jan5(9, 0, 0)},
        // Whatever follows 秒 is not read.
        {"2024年1月5日9时5分7秒 and more", Jan5(9, 5, 7)},
        {"2024年1月5日9时5分7秒\xFF\x01", Jan5(9, 5, 7)},
        // Digits beyond a field's limit start the next field.
        {"20240105", Jan5(0, 0, 0)},
        {"20240105090507", Jan5(9, 5, 7)},
        {"2024010509:0507", Jan5(9, 5, 7)},
        {"123405121", MakeDateTime(1234, 5, 12, 1, 0, 0)},
        {"2024-01-05-09-05-07", Jan5(9, 5, 7)},
        // The ends of the range, and the leap rules.
        {"100年1月2日", MakeDateTime(100, 1, 2, 0, 0, 0)},
        {"9999年12月31日23时59分59秒", MakeDateTime(9999, 12, 31, 23, 59, 59)},
        {"2000年2月29日", MakeDateTime(2000, 2, 29, 0, 0, 0)},
        {"2024年2月29日", MakeDateTime(2024, 2, 29, 0, 0, 0)},
        {"1900年2月29日", kFailed},
        {"2023年2月29日", kFailed},
        {"2024年2月30日", kFailed},
        // Not a real moment as written.
        {"99年1月1日", kFailed},
        {"2024年13月1日", kFailed},
        {"2024年0月1日", kFailed},
        {"2024年1月0日", kFailed},
        {"2024年1月32日", kFailed},
        {"2024年4月31日", kFailed},
        {"2024年1月5日24时", kFailed},
        {"2024年1月5日23时60分", kFailed},
        {"2024年1月5日23时0分60秒", kFailed},
        {"2024年", kFailed},
        {"2024--1-5", kFailed},
        {"12345", kFailed},
        // Anything but the end or 秒 after the second.
        {"2024年1月5日 9时", kFailed},
        {"2024年1月5日x", kFailed},
        {" 2024年1月5日", kFailed},
        {"2024-1-5 9:5:7 ", kFailed},
        {"2024-1-5\x01", kFailed},
        {"2024-1-5\xFF", kFailed},
        {"", kFailed},
        {"\x01", kFailed},
        {"\xE5\xB9", kFailed},
        {std::string(10'000, '1'), kFailed},
        {std::string(10'000, 'a'), kFailed},
        {"2024-1-5 " + std::string(10'000, '9'), kFailed},
        // A text ends at its first zero byte, and a character cut short by the
        // end is dropped before reading.
        {"2024-1-5\0junk"s, Jan5(0, 0, 0)},
        {"2024年1月5日\xE7\xA7", Jan5(0, 0, 0)},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "text '" << c.text.substr(0, 40) << "'");
        EXPECT_EQ(TextToDateTime(c.text), c.value);
    }
}

// Every text DateTimeToText makes reads back as the moment it shows.
TEST(TextsTest, DateTimeTextsReadBack) {
    const struct {
        int hour, minute, second;
    } kTimes[] = {{0, 0, 0}, {0, 0, 1},  {0, 1, 0},    {1, 0, 0},    {9, 0, 7},
                  {9, 5, 0}, {10, 0, 0}, {12, 34, 56}, {23, 59, 59}, {23, 0, 59}};
    int failures = 0;
    const auto check = [&failures](DateTime v, const char* what) {
        const std::string text = DateTimeToText(v);
        const DateTime read = TextToDateTime(text);
        const bool ok = DateTimeToText(read) == text && YearOf(read) == YearOf(v) &&
                        MonthOf(read) == MonthOf(v) && DayOf(read) == DayOf(v) &&
                        HourOf(read) == HourOf(v) && MinuteOf(read) == MinuteOf(v) &&
                        SecondOf(read) == SecondOf(v);
        if (!ok && ++failures <= 5) {
            ADD_FAILURE() << what << " " << v << ": '" << text << "' reads back as " << read;
        }
        return read;
    };

    constexpr int kStep = 997;  // prime, so the sweep meets every month and weekday
    for (int dayNumber = static_cast<int>(kMinDateTime);
         dayNumber <= static_cast<int>(kMaxDateTime); dayNumber += kStep) {
        const int year = YearOf(dayNumber);
        const int month = MonthOf(dayNumber);
        const int day = DayOf(dayNumber);
        for (const auto& t : kTimes) {
            const DateTime v = MakeDateTime(year, month, day, t.hour, t.minute, t.second);
            // A whole second reads back as the very same value, except on the
            // first and last day, which show only their midnight.
            const DateTime read = check(v, "whole second");
            if (ClampDateTime(v) == v && read != v && ++failures <= 5) {
                ADD_FAILURE() << "whole second " << v << " reads back as another value";
            }
            // Fractions of a second show, and read back, as their nearest second.
            check(dayNumber >= 0 ? v + 0.4 * kSecond : v - 0.4 * kSecond, "fraction");
            check(dayNumber >= 0 ? v + 0.6 * kSecond : v - 0.6 * kSecond, "fraction");
        }
    }
    check(kMaxDateTime, "last day");
    check(1e9, "beyond the range");
    EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace velmora::schedule
