#pragma once

#include <string>
#include <string_view>

namespace velmora::persist {

// Conversions between the program's UTF-8 texts and the GBK bytes of the settings file
// (code page 936: ASCII as is, two-byte characters from 0x81 0x40 up, 0x80 the euro sign).
//
// Both directions always succeed, and GBK -> UTF-8 -> GBK gives back the bytes it started
// from, also when they are not valid GBK: a byte that does not start a GBK character becomes
// the private-use character U+F700 + byte (0x81 alone at the end -> U+F781), and that
// character turns back into the byte. No GBK character maps into U+F780 ... U+F7FF, so the
// escape cannot be confused with text. So a hand-edited file with broken bytes keeps them
// when the program reads a value and writes it back.
//
//   GbkToUtf8("\xC5\xE4\xD6\xC3") == "配置"
//   Utf8ToGbk("配置") == "\xC5\xE4\xD6\xC3"
//   Utf8ToGbk("😀") == "?"   (no GBK form: a question mark, as the system's ANSI conversion does)

std::string GbkToUtf8(std::string_view gbk);

// Characters without a GBK form, and bytes that are not UTF-8, each become one '?'.
std::string Utf8ToGbk(std::string_view utf8);

// Whether text is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);

// The first code point of the escape range; byte b (0x80 ... 0xFF) maps to kGbkEscapeBase + b.
inline constexpr char32_t kGbkEscapeBase = 0xF700;

}  // namespace velmora::persist
