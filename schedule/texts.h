#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "schedule/date_time.h"

// Texts are UTF-8 inside the program. The rules below were made for GBK byte
// strings; they are applied to the characters those bytes stand for. As with
// the texts kept in settings files, a text read here ends at its first zero byte.
namespace velmora::schedule {

// "2024年1月5日", then "9时5分7秒" / "9时5分" / "9时" as the second, minute or
// hour is the first non-zero field from the right; nothing for midnight. The
// parts are read as YearOf ... SecondOf read them (clamped, nearest second).
// 09:00:07 gives "2024年1月5日9时0分7秒".
std::string DateTimeToText(DateTime v);

std::string IntToText(std::int64_t n);  // "%d": 29, -5, 0
std::string DoubleToText(double x);     // "%.13g" in any locale: 29, 2.5, 1e+15
std::string BoolToText(bool b);         // "真" / "假"

// Folds the full-width forms of ASCII 0x21-0x7E (GBK A3A1-A3FE) to ASCII, the
// ideographic space to a space, GBK A1AB to '~' and GBK A1EE / A1EF to '*'.
// Every other character passes unchanged; a UTF-8 sequence cut short by the end
// of the text is dropped; bytes that are not UTF-8 pass unchanged. The folded
// characters are listed in schedule/full_width_table.h. "１２" gives "12".
std::string FoldFullWidth(std::string_view t);

// After FoldFullWidth: the longest leading decimal number (white space skipped,
// optional sign, digits with optional fraction, optional exponent e/E/d/D); 0
// when there is none. "12abc" gives 12, " 7" gives 7, "1e3" gives 1000. Not
// read: hexadecimal, "inf", "nan". Beyond the double range gives +-infinity,
// below it +-0 (denormals are kept); the decimal point is '.' in any locale.
double TextToNumber(std::string_view t);

// After FoldFullWidth: white space, optional sign, decimal digits; 0 when none.
// Beyond 32 bits the result stays at INT32_MIN or INT32_MAX. "-17x" gives -17.
std::int32_t TextToInt(std::string_view t);

// After FoldFullWidth: year (up to 4 digits), month, day, hour, minute, second
// (up to 2 digits each; more digits start the next field), each followed by an
// optional separator: '-', '.', '/', ':' or 年 月 日 时 分, and a space after the
// day. The text then ends or goes on with 秒, after which nothing is read. A
// field without digits is 0; the six numbers must describe a real moment as
// written (2024年2月30日 fails). Failure gives kMinDateTime (0100-01-01 00:00:00).
// "2024/01/05 09:05:07" and "2024年1月5日9时5分7秒" are 09:05:07 of that day.
// Every text that DateTimeToText makes reads back to the moment it shows.
DateTime TextToDateTime(std::string_view t);

// Byte-wise comparison as unsigned bytes, a prefix sorting first: -1, 0 or 1.
// "05" and "5" differ.
int CompareTexts(std::string_view a, std::string_view b);

template <typename... Texts>
std::string JoinTexts(const Texts&... texts) {
    std::string joined;
    (joined.append(std::string_view{texts}), ...);
    return joined;
}

}  // namespace velmora::schedule
