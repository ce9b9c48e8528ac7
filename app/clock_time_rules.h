#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::app {

// The input rules of the clock-time boxes, run on every change of a box's text.
// v is schedule::TextToNumber of the text (its leading decimal number, 0 when
// there is none); tests for a value allow a tolerance of 0.0000001. A rule
// returns the text the box must be given, or nothing when the text may stay.

// Hour box: "1" when v - 24 > tolerance or |v| <= tolerance. So 0, an empty
// text, a text without a number and anything above 24 become "1"; 1 to 24,
// fractions such as 0.5 and negative numbers stay.
std::optional<std::string> HourBoxRule(std::string_view text);

// Minute and second boxes: "0" when v - 59 > tolerance. 60 and 59.5 become "0";
// 59, negative numbers and texts without a number stay.
std::optional<std::string> MinuteSecondBoxRule(std::string_view text);

}  // namespace velmora::app
