#include "schedule/texts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <system_error>

#include "schedule/full_width_table.h"

namespace velmora::schedule {

namespace {

// A text ends at its first zero byte, as the texts kept in settings files do.
std::string_view UpToZeroByte(std::string_view t) {
    return t.substr(0, t.find('\0'));
}

void AppendInt(std::string& text, std::int64_t n) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), n);
    text.append(buffer.data(), result.ptr);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// --- UTF-8 ---------------------------------------------------------------

enum class Utf8Status { kComplete, kTruncated, kInvalid };

struct Utf8Char {
    Utf8Status status;
    char32_t codePoint;  // valid when complete
    std::size_t length;  // valid when complete
};

// Reads the character that starts with the byte at pos (0x80 or above) by the
// rules of well-formed UTF-8. kTruncated: a valid start that the end of the text
// cuts short; kInvalid: anything else that is not a whole character.
Utf8Char ReadUtf8(std::string_view t, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(t[pos]);
    std::size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    char32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
        // No overlong forms, no surrogates.
        if (lead == 0xE0) {
            secondLow = 0xA0;
        } else if (lead == 0xED) {
            secondHigh = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
        // No overlong forms, nothing above U+10FFFF.
        if (lead == 0xF0) {
            secondLow = 0x90;
        } else if (lead == 0xF4) {
            secondHigh = 0x8F;
        }
    } else {
        return {Utf8Status::kInvalid, 0, 0};
    }

    for (std::size_t i = 1; i < length; ++i) {
        if (pos + i >= t.size()) {
            return {Utf8Status::kTruncated, 0, 0};
        }
        const auto byte = static_cast<unsigned char>(t[pos + i]);
        const unsigned char low = i == 1 ? secondLow : 0x80;
        const unsigned char high = i == 1 ? secondHigh : 0xBF;
        if (byte < low || byte > high) {
            return {Utf8Status::kInvalid, 0, 0};
        }
        codePoint = (codePoint << 6) | (byte & 0x3Fu);
    }
    return {Utf8Status::kComplete, codePoint, length};
}

// The fold table ordered by code point, for a binary search per character.
constexpr auto kFoldsByCodePoint = [] {
    auto folds = kFullWidthFolds;
    std::sort(folds.begin(), folds.end(), [](const FullWidthFold& a, const FullWidthFold& b) {
        return a.codePoint < b.codePoint;
    });
    return folds;
}();

static_assert(std::adjacent_find(kFoldsByCodePoint.begin(), kFoldsByCodePoint.end(),
                                 [](const FullWidthFold& a, const FullWidthFold& b) {
                                     return a.codePoint == b.codePoint;
                                 }) == kFoldsByCodePoint.end(),
              "each code point folds one way");

// The ASCII character a code point folds to, or 0 when it is not folded.
char FoldOf(char32_t codePoint) {
    const auto found =
        std::lower_bound(kFoldsByCodePoint.begin(), kFoldsByCodePoint.end(), codePoint,
                         [](const FullWidthFold& fold, char32_t c) { return fold.codePoint < c; });
    if (found == kFoldsByCodePoint.end() || found->codePoint != codePoint) {
        return 0;
    }
    return found->ascii;
}

// --- Reading ---------------------------------------------------------------

// A cursor over a folded text.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    std::string_view rest() const { return m_text.substr(m_pos); }

    bool next(char c) {
        if (!atEnd() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool next(std::string_view s) {
        if (rest().starts_with(s)) {
            m_pos += s.size();
            return true;
        }
        return false;
    }

    void skipSpace() {
        while (!atEnd() && IsSpace(m_text[m_pos])) {
            ++m_pos;
        }
    }

    // '+' or '-' if there; true for '-'.
    bool sign() {
        if (next('-')) {
            return true;
        }
        next('+');
        return false;
    }

    // The run of digits here, at most maxCount of them.
    std::string_view digits(std::size_t maxCount = std::string_view::npos) {
        const std::size_t start = m_pos;
        while (!atEnd() && m_pos - start < maxCount && IsDigit(m_text[m_pos])) {
            ++m_pos;
        }
        return m_text.substr(start, m_pos - start);
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Digits as a number, held at `limit` once it is reached, so that any run of
// digits is read in one pass without overflow.
std::int64_t SaturatingValue(std::string_view digits, std::int64_t limit) {
    std::int64_t value = 0;
    for (const char c : digits) {
        const int digit = c - '0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return value;
}

// The value of the decimal number 0.<digits> x 10^pointPosition, digits starting
// with a non-zero digit. Magnitudes far outside the double range are settled
// here, so the library only ever sees a short exponent.
double DecimalValue(std::string_view digits, std::int64_t pointPosition) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    // 0.1e310 is beyond the largest double; 0.99e-325 is below half the smallest.
    if (pointPosition > 310) {
        return kInfinity;
    }
    if (pointPosition < -325) {
        return 0.0;
    }
    std::string normalized;
    normalized.reserve(digits.size() + 8);
    normalized.append("0.");
    normalized.append(digits);
    normalized.push_back('e');
    AppendInt(normalized, pointPosition);

    double value = 0.0;
    const auto result = std::from_chars(normalized.data(), normalized.data() + normalized.size(),
                                        value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        return pointPosition > 0 ? kInfinity : 0.0;
    }
    return value;
}

// Reads up to maxCount digits; no digits count as 0.
std::int32_t Field(Scanner& scanner, std::size_t maxCount) {
    return static_cast<std::int32_t>(SaturatingValue(scanner.digits(maxCount), 9999));
}

// Takes one of the separators if the text continues with one.
void OptionalSeparator(Scanner& scanner, std::initializer_list<std::string_view> separators) {
    for (const std::string_view separator : separators) {
        if (scanner.next(separator)) {
            return;
        }
    }
}

}  // namespace

std::string DateTimeToText(DateTime v) {
    const std::int32_t hour = HourOf(v);
    const std::int32_t minute = MinuteOf(v);
    const std::int32_t second = SecondOf(v);

    std::string text;
    AppendInt(text, YearOf(v));
    text.append("年");
    AppendInt(text, MonthOf(v));
    text.append("月");
    AppendInt(text, DayOf(v));
    text.append("日");
    // The time shows down to its last non-zero field.
    if (second != 0 || minute != 0 || hour != 0) {
        AppendInt(text, hour);
        text.append("时");
    }
    if (second != 0 || minute != 0) {
        AppendInt(text, minute);
        text.append("分");
    }
    if (second != 0) {
        AppendInt(text, second);
        text.append("秒");
    }
    return text;
}

std::string IntToText(std::int64_t n) {
    std::string text;
    AppendInt(text, n);
    return text;
}

std::string DoubleToText(double x) {
    // to_chars with a precision is printf's "%.13g" in the C locale, whatever
    // locale the process runs in.
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x,
                                      std::chars_format::general, 13);
    return std::string(buffer.data(), result.ptr);
}

std::string BoolToText(bool b) {
    return b ? "真" : "假";
}

std::string FoldFullWidth(std::string_view t) {
    t = UpToZeroByte(t);
    std::string folded;
    folded.reserve(t.size());
    std::size_t pos = 0;
    while (pos < t.size()) {
        if (static_cast<unsigned char>(t[pos]) < 0x80) {
            folded.push_back(t[pos]);
            ++pos;
            continue;
        }
        const Utf8Char c = ReadUtf8(t, pos);
        switch (c.status) {
            case Utf8Status::kTruncated:
                return folded;
            case Utf8Status::kInvalid:
                folded.push_back(t[pos]);
                ++pos;
                break;
            case Utf8Status::kComplete:
                if (const char ascii = FoldOf(c.codePoint); ascii != 0) {
                    folded.push_back(ascii);
                } else {
                    folded.append(t.substr(pos, c.length));
                }
                pos += c.length;
                break;
        }
    }
    return folded;
}

double TextToNumber(std::string_view t) {
    const std::string folded = FoldFullWidth(t);
    Scanner scanner(folded);
    scanner.skipSpace();
    const bool negative = scanner.sign();
    const std::string_view wholeDigits = scanner.digits();
    std::string_view fractionDigits;
    if (scanner.next('.')) {
        fractionDigits = scanner.digits();
    }
    // "5." and ".5" are numbers, "." is not.
    if (wholeDigits.empty() && fractionDigits.empty()) {
        return 0.0;
    }

    // The exponent counts only when at least one digit follows its letter.
    std::int64_t exponent = 0;
    if (scanner.next('e') || scanner.next('E') || scanner.next('d') || scanner.next('D')) {
        const bool exponentNegative = scanner.sign();
        const std::string_view exponentDigits = scanner.digits();
        if (!exponentDigits.empty()) {
            // Held far beyond any exponent a double can take, and beyond any
            // digit count that could bring it back into range.
            exponent = SaturatingValue(exponentDigits, std::int64_t{1} << 60);
            if (exponentNegative) {
                exponent = -exponent;
            }
        }
    }

    // 0.<all digits> x 10^(whole digits + exponent), leading zeros dropped.
    std::string digits;
    digits.reserve(wholeDigits.size() + fractionDigits.size());
    digits.append(wholeDigits).append(fractionDigits);
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    double value = 0.0;
    if (firstNonZero != std::string::npos) {
        const auto pointPosition = static_cast<std::int64_t>(wholeDigits.size()) -
                                   static_cast<std::int64_t>(firstNonZero) + exponent;
        value = DecimalValue(std::string_view(digits).substr(firstNonZero), pointPosition);
    }
    return negative ? -value : value;
}

std::int32_t TextToInt(std::string_view t) {
    const std::string folded = FoldFullWidth(t);
    Scanner scanner(folded);
    scanner.skipSpace();
    const bool negative = scanner.sign();
    constexpr std::int64_t kMagnitudeLimit = std::int64_t{1} << 31;
    const std::int64_t magnitude = SaturatingValue(scanner.digits(), kMagnitudeLimit);
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

DateTime TextToDateTime(std::string_view t) {
    const std::string folded = FoldFullWidth(t);
    if (folded.empty()) {
        return kMinDateTime;
    }
    Scanner scanner(folded);
    const std::int32_t year = Field(scanner, 4);
    OptionalSeparator(scanner, {"-", ".", "/", ":", "年"});
    const std::int32_t month = Field(scanner, 2);
    OptionalSeparator(scanner, {"-", ".", "/", ":", "月"});
    const std::int32_t day = Field(scanner, 2);
    OptionalSeparator(scanner, {"-", ".", "/", ":", " ", "日"});
    const std::int32_t hour = Field(scanner, 2);
    OptionalSeparator(scanner, {"-", ".", "/", ":", "时"});
    const std::int32_t minute = Field(scanner, 2);
    OptionalSeparator(scanner, {"-", ".", "/", ":", "分"});
    const std::int32_t second = Field(scanner, 2);
    // Whatever follows 秒 is not read.
    if (!scanner.atEnd() && !scanner.next("秒")) {
        return kMinDateTime;
    }

    const bool real = year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
                      std::chrono::year_month_day{std::chrono::year{year},
                                                  std::chrono::month{static_cast<unsigned>(month)},
                                                  std::chrono::day{static_cast<unsigned>(day)}}
                          .ok() &&
                      hour <= 23 && minute <= 59 && second <= 59;
    if (!real) {
        return kMinDateTime;
    }
    return MakeDateTime(year, month, day, hour, minute, second);
}

int CompareTexts(std::string_view a, std::string_view b) {
    // char_traits<char> compares as unsigned bytes, a prefix sorting first.
    const int order = UpToZeroByte(a).compare(UpToZeroByte(b));
    return (order > 0) - (order < 0);
}

}  // namespace velmora::schedule
