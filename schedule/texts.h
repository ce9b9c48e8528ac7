#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "schedule/date_time.h"

// Texts are UTF-8 inside the program. The rules below were made for GBK byte
// strings; they are applied to the characters those bytes stand for.
namespace velmora::schedule {

// "2024年1月5日", then "9时5分7秒" / "9时5分" / "9时" as the second, minute or
// hour is the first non-zero field from the right; nothing for midnight.
std::string DateTimeToText(DateTime v);

std::string IntToText(std::int64_t n);  // "%d": 29, -5, 0
std::string DoubleToText(double x);     // "%.13g": 29, 2.5
std::string BoolToText(bool b);         // "真" / "假"

// Folds the full-width forms of ASCII 0x21-0x7E (GBK A3A1-A3FE) to ASCII, the
// ideographic space to a space, GBK A1AB to '~' and GBK A1EE / A1EF to '*'.
// Every other character passes unchanged; an incomplete UTF-8 sequence at the
// end of the text is dropped.
std::string FoldFullWidth(std::string_view t);

// After FoldFullWidth: the longest leading decimal number (white space skipped,
// optional sign, digits with optional fraction, optional exponent e/E/d/D); 0
// when there is none. "12abc" gives 12, " 7" gives 7, "1e3" gives 1000.
double TextToNumber(std::string_view t);

// After FoldFullWidth: white space, optional sign, decimal digits; 0 when none.
std::int32_t TextToInt(std::string_view t);

// After FoldFullWidth: year (up to 4 digits), month, day, hour, minute, second
// (up to 2 digits each) with their separators; the six numbers must describe a
// real moment. Failure gives kMinDateTime (0100-01-01 00:00:00). Every text that
// DateTimeToText makes reads back to the same moment.
DateTime TextToDateTime(std::string_view t);

// Byte-wise comparison as unsigned bytes; negative, 0 or positive.
int CompareTexts(std::string_view a, std::string_view b);

template <typename... Texts>
std::string JoinTexts(const Texts&... texts) {
    std::string joined;
    (joined.append(std::string_view{texts}), ...);
    return joined;
}

}  // namespace velmora::schedule
