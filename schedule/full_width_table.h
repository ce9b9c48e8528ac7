#pragma once

#include <array>
#include <cstdint>

namespace velmora::schedule {

// One character that FoldFullWidth folds to ASCII: its GBK code, the Unicode
// code point that GBK code decodes to, and the ASCII character it becomes.
struct FullWidthFold {
    std::uint16_t gbk;
    char32_t codePoint;
    char ascii;
};

// The full-width forms of ASCII 0x21-0x7E (GBK A3A1-A3FE become the byte minus
// 0x80), the ideographic space (A1A1), and A1AB, A1EE, A1EF. The code points are
// what GBK decodes these codes to, which is not always the plain FF01-FF5E block:
// A3A4 is the full-width yen sign and A3FE the full-width macron, A1AB is the
// full-width tilde, A1EE and A1EF are the two stars. The unit tests check every
// row against the system's GBK decoder.
inline constexpr std::array<FullWidthFold, 98> kFullWidthFolds{{
    {0xA3A1, 0xFF01, '!'},   // ！
    {0xA3A2, 0xFF02, '"'},   // ＂
    {0xA3A3, 0xFF03, '#'},   // ＃
    {0xA3A4, 0xFFE5, '$'},   // ￥
    {0xA3A5, 0xFF05, '%'},   // ％
    {0xA3A6, 0xFF06, '&'},   // ＆
    {0xA3A7, 0xFF07, '\''},  // ＇
    {0xA3A8, 0xFF08, '('},   // （
    {0xA3A9, 0xFF09, ')'},   // ）
    {0xA3AA, 0xFF0A, '*'},   // ＊
    {0xA3AB, 0xFF0B, '+'},   // ＋
    {0xA3AC, 0xFF0C, ','},   // ，
    {0xA3AD, 0xFF0D, '-'},   // －
    {0xA3AE, 0xFF0E, '.'},   // ．
    {0xA3AF, 0xFF0F, '/'},   // ／
    {0xA3B0, 0xFF10, '0'},   // ０
    {0xA3B1, 0xFF11, '1'},   // １
    {0xA3B2, 0xFF12, '2'},   // ２
    {0xA3B3, 0xFF13, '3'},   // ３
    {0xA3B4, 0xFF14, '4'},   // ４
    {0xA3B5, 0xFF15, '5'},   // ５
    {0xA3B6, 0xFF16, '6'},   // ６
    {0xA3B7, 0xFF17, '7'},   // ７
    {0xA3B8, 0xFF18, '8'},   // ８
    {0xA3B9, 0xFF19, '9'},   // ９
    {0xA3BA, 0xFF1A, ':'},   // ：
    {0xA3BB, 0xFF1B, ';'},   // ；
    {0xA3BC, 0xFF1C, '<'},   // ＜
    {0xA3BD, 0xFF1D, '='},   // ＝
    {0xA3BE, 0xFF1E, '>'},   // ＞
    {0xA3BF, 0xFF1F, '?'},   // ？
    {0xA3C0, 0xFF20, '@'},   // ＠
    {0xA3C1, 0xFF21, 'A'},   // Ａ
    {0xA3C2, 0xFF22, 'B'},   // Ｂ
    {0xA3C3, 0xFF23, 'C'},   // Ｃ
    {0xA3C4, 0xFF24, 'D'},   // Ｄ
    {0xA3C5, 0xFF25, 'E'},   // Ｅ
    {0xA3C6, 0xFF26, 'F'},   // Ｆ
    {0xA3C7, 0xFF27, 'G'},   // Ｇ
    {0xA3C8, 0xFF28, 'H'},   // Ｈ
    {0xA3C9, 0xFF29, 'I'},   // Ｉ
    {0xA3CA, 0xFF2A, 'J'},   // Ｊ
    {0xA3CB, 0xFF2B, 'K'},   // Ｋ
    {0xA3CC, 0xFF2C, 'L'},   // Ｌ
    {0xA3CD, 0xFF2D, 'M'},   // Ｍ
    {0xA3CE, 0xFF2E, 'N'},   // Ｎ
    {0xA3CF, 0xFF2F, 'O'},   // Ｏ
    {0xA3D0, 0xFF30, 'P'},   // Ｐ
    {0xA3D1, 0xFF31, 'Q'},   // Ｑ
    {0xA3D2, 0xFF32, 'R'},   // Ｒ
    {0xA3D3, 0xFF33, 'S'},   // Ｓ
    {0xA3D4, 0xFF34, 'T'},   // Ｔ
    {0xA3D5, 0xFF35, 'U'},   // Ｕ
    {0xA3D6, 0xFF36, 'V'},   // Ｖ
    {0xA3D7, 0xFF37, 'W'},   // Ｗ
    {0xA3D8, 0xFF38, 'X'},   // Ｘ
    {0xA3D9, 0xFF39, 'Y'},   // Ｙ
    {0xA3DA, 0xFF3A, 'Z'},   // Ｚ
    {0xA3DB, 0xFF3B, '['},   // ［
    {0xA3DC, 0xFF3C, '\\'},  // ＼
    {0xA3DD, 0xFF3D, ']'},   // ］
    {0xA3DE, 0xFF3E, '^'},   // ＾
    {0xA3DF, 0xFF3F, '_'},   // ＿
    {0xA3E0, 0xFF40, '`'},   // ｀
    {0xA3E1, 0xFF41, 'a'},   // ａ
    {0xA3E2, 0xFF42, 'b'},   // ｂ
    {0xA3E3, 0xFF43, 'c'},   // ｃ
    {0xA3E4, 0xFF44, 'd'},   // ｄ
    {0xA3E5, 0xFF45, 'e'},   // ｅ
    {0xA3E6, 0xFF46, 'f'},   // ｆ
    {0xA3E7, 0xFF47, 'g'},   // ｇ
    {0xA3E8, 0xFF48, 'h'},   // ｈ
    {0xA3E9, 0xFF49, 'i'},   // ｉ
    {0xA3EA, 0xFF4A, 'j'},   // ｊ
    {0xA3EB, 0xFF4B, 'k'},   // ｋ
    {0xA3EC, 0xFF4C, 'l'},   // ｌ
    {0xA3ED, 0xFF4D, 'm'},   // ｍ
    {0xA3EE, 0xFF4E, 'n'},   // ｎ
    {0xA3EF, 0xFF4F, 'o'},   // ｏ
    {0xA3F0, 0xFF50, 'p'},   // ｐ
    {0xA3F1, 0xFF51, 'q'},   // ｑ
    {0xA3F2, 0xFF52, 'r'},   // ｒ
    {0xA3F3, 0xFF53, 's'},   // ｓ
    {0xA3F4, 0xFF54, 't'},   // ｔ
    {0xA3F5, 0xFF55, 'u'},   // ｕ
    {0xA3F6, 0xFF56, 'v'},   // ｖ
    {0xA3F7, 0xFF57, 'w'},   // ｗ
    {0xA3F8, 0xFF58, 'x'},   // ｘ
    {0xA3F9, 0xFF59, 'y'},   // ｙ
    {0xA3FA, 0xFF5A, 'z'},   // ｚ
    {0xA3FB, 0xFF5B, '{'},   // ｛
    {0xA3FC, 0xFF5C, '|'},   // ｜
    {0xA3FD, 0xFF5D, '}'},   // ｝
    {0xA3FE, 0xFFE3, '~'},   // ￣
    {0xA1A1, 0x3000, ' '},   // ideographic space
    {0xA1AB, 0xFF5E, '~'},   // ～
    {0xA1EE, 0x2606, '*'},   // ☆
    {0xA1EF, 0x2605, '*'},   // ★
}};

}  // namespace velmora::schedule
