#include "persist/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <optional>

namespace velmora::persist {

namespace {

// One iconv descriptor per direction and thread, opened on first use: opening one loads a
// conversion module, and a settings load converts a few thousand short texts.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(m_cd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts from `in` on, as far as the converter can go. Returns false when it stopped
    // at a sequence it cannot convert (then `in` points at it), true when all was used.
    bool run(const char*& in, std::size_t& inLeft, std::string& out) {
        if (!valid()) {
            return inLeft == 0;
        }
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            char buffer[4096];
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            // POSIX declares the input as char** although iconv never writes through it.
            char* inPtr = const_cast<char*>(in);
            const std::size_t result = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
            const int error = errno;
            in = inPtr;
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (result != static_cast<std::size_t>(-1)) {
                continue;
            }
            if (error != E2BIG) {
                return false;
            }
        }
        return true;
    }

private:
    iconv_t m_cd;
};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code point and length of the well-formed UTF-8 sequence at the start of `text`, or
// nothing when it is not one (also for overlong forms and surrogates).
std::optional<std::pair<char32_t, std::size_t>> decodeUtf8(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        return std::pair{char32_t{lead}, std::size_t{1}};
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() < length) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = (c << 6) | (byte(i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    return std::pair{c, length};
}

}  // namespace

bool IsUtf8(std::string_view text) {
    while (!text.empty()) {
        const auto sequence = decodeUtf8(text);
        if (!sequence) {
            return false;
        }
        text.remove_prefix(sequence->second);
    }
    return true;
}

std::string GbkToUtf8(std::string_view gbk) {
    thread_local Converter converter("UTF-8", "GBK");
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    const char* in = gbk.data();
    std::size_t inLeft = gbk.size();
    while (!converter.run(in, inLeft, out)) {
        const auto byte = static_cast<unsigned char>(*in);
        if (byte < 0x80) {
            // Only reached without a converter: ASCII is the same in both.
            out += static_cast<char>(byte);
        } else {
            appendUtf8(out, kGbkEscapeBase + byte);
        }
        ++in;
        --inLeft;
    }
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
    thread_local Converter converter("GBK", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    const char* in = utf8.data();
    std::size_t inLeft = utf8.size();
    while (!converter.run(in, inLeft, out)) {
        const auto sequence = decodeUtf8(std::string_view(in, inLeft));
        std::size_t used = 1;
        if (!sequence) {
            out += '?';
        } else {
            const auto [c, length] = *sequence;
            used = length;
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if (c >= kGbkEscapeBase + 0x80 && c <= kGbkEscapeBase + 0xFF) {
                out += static_cast<char>(c - kGbkEscapeBase);
            } else {
                out += '?';
            }
        }
        in += used;
        inLeft -= used;
    }
    return out;
}

}  // namespace velmora::persist
