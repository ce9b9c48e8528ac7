#include "persist/profile_document.h"

#include <cstring>
#include <utility>

#include "persist/gbk.h"

namespace velmora::persist {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The bytes of the character that starts at text[i]: 2 for a GBK lead byte followed by a
// trail byte, else 1. The second byte of a character may be an ASCII letter, '[', ']' or
// '\\', so scanning and case folding have to go character by character, not byte by byte.
std::size_t charSize(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0x81 && lead <= 0xFE && i + 1 < text.size()) {
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
            return 2;
        }
    }
    return 1;
}

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string foldCase(std::string_view name) {
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t size = charSize(folded, i);
        if (size == 1) {
            folded[i] = foldAscii(folded[i]);
        }
        i += size;
    }
    return folded;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t size = charSize(a, i);
        if (size != charSize(b, i)) {
            return false;
        }
        if (size == 1 ? foldAscii(a[i]) != foldAscii(b[i]) : a.substr(i, 2) != b.substr(i, 2)) {
            return false;
        }
        i += size;
    }
    return true;
}

// The position of the single-byte character c in text from `from` on, or npos.
std::size_t findChar(std::string_view text, char c, std::size_t from) {
    for (std::size_t i = from; i < text.size(); i += charSize(text, i)) {
        if (text[i] == c) {
            return i;
        }
    }
    return std::string_view::npos;
}

// text cut to kMaxValueBytes without splitting a character.
std::string_view cutValue(std::string_view text) {
    if (text.size() <= kMaxValueBytes) {
        return text;
    }
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + charSize(text, end);
        if (next > kMaxValueBytes) {
            break;
        }
        end = next;
    }
    return text.substr(0, end);
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

ProfileDocument::ProfileDocument() : m_sections(1) {
}

ProfileDocument::ProfileDocument(std::string bytes) : m_source(std::move(bytes)), m_sections(1) {
    const char* data = m_source.data();
    const std::size_t total = m_source.size();
    std::size_t begin = 0;
    while (begin < total) {
        const auto* newline =
            static_cast<const char*>(std::memchr(data + begin, '\n', total - begin));
        std::size_t end = newline != nullptr ? static_cast<std::size_t>(newline - data) : total;
        std::uint8_t endSize = 0;
        if (newline != nullptr) {
            endSize = 1;
            if (end > begin && data[end - 1] == '\r') {
                --end;
                endSize = 2;
            }
        }
        Line line = parseLine(0, begin, end - begin, endSize, begin == 0);
        if (line.kind == LineKind::Header) {
            m_firstSection.try_emplace(foldCase(name(line)), m_sections.size());
            m_sections.push_back(Section{{}, true});
            ++m_namedSections;
        } else if (line.kind == LineKind::BrokenHeader) {
            m_sections.emplace_back();
        }
        m_sections.back().lines.push_back(line);
        begin = end + endSize;
    }
}

std::string_view ProfileDocument::content(const Line& line) const {
    const std::string& store = line.store == 0 ? m_source : m_written[line.store - 1];
    return std::string_view(store).substr(line.begin, line.size);
}

std::string_view ProfileDocument::name(const Line& line) const {
    return content(line).substr(line.nameBegin, line.nameSize);
}

ProfileDocument::Line ProfileDocument::parseLine(std::uint32_t store, std::size_t begin,
                                                 std::size_t size, std::uint8_t endSize,
                                                 bool firstInFile) const {
    Line line;
    line.store = store;
    line.begin = begin;
    line.size = static_cast<std::uint32_t>(size);
    line.endSize = endSize;
    const std::string_view text = content(line);

    std::size_t start = 0;
    if (firstInFile && text.starts_with(kByteOrderMark)) {
        start = kByteOrderMark.size();
    }
    while (start < text.size() && isBlank(text[start])) {
        ++start;
    }
    const auto setName = [&](std::size_t from, std::size_t to) {
        const std::string_view trimmed = trimBlanks(text.substr(from, to - from));
        line.nameBegin = static_cast<std::uint32_t>(trimmed.data() - text.data());
        line.nameSize = static_cast<std::uint32_t>(trimmed.size());
    };
    if (start < text.size() && text[start] == '[') {
        const std::size_t close = findChar(text, ']', start + 1);
        if (close != std::string_view::npos) {
            line.kind = LineKind::Header;
            setName(start + 1, close);
        } else {
            line.kind = LineKind::BrokenHeader;
        }
        return line;
    }
    const std::size_t equals = text.find('=', start);
    if (equals != std::string_view::npos) {
        line.kind = LineKind::Entry;
        setName(start, equals);
        line.valueBegin = static_cast<std::uint32_t>(equals + 1);
    }
    return line;
}

ProfileDocument::Line ProfileDocument::storeLine(std::string text, std::uint8_t endSize) {
    const std::size_t size = text.size() - endSize;
    m_written.push_back(std::move(text));
    return parseLine(static_cast<std::uint32_t>(m_written.size()), 0, size, endSize, false);
}

void ProfileDocument::ensureLineEnd(Line& line) {
    if (line.endSize != 0) {
        return;
    }
    // Same content in a new store; the offsets within the line stay valid.
    std::string text(content(line));
    text += "\r\n";
    m_written.push_back(std::move(text));
    line.store = static_cast<std::uint32_t>(m_written.size());
    line.begin = 0;
    line.endSize = 2;
}

const ProfileDocument::Section* ProfileDocument::findSection(std::string_view gbkName) const {
    const auto found = m_firstSection.find(foldCase(gbkName));
    return found == m_firstSection.end() ? nullptr : &m_sections[found->second];
}

const ProfileDocument::Line* ProfileDocument::findEntry(const Section& section,
                                                        std::string_view gbkKey) const {
    for (const Line& line : section.lines) {
        if (line.kind == LineKind::Entry && sameName(name(line), gbkKey)) {
            return &line;
        }
    }
    return nullptr;
}

std::string ProfileDocument::value(std::string_view section, std::string_view key) const {
    const std::string gbkSection = Utf8ToGbk(section);
    const std::string gbkKey = Utf8ToGbk(key);
    const Section* found = findSection(trimBlanks(gbkSection));
    const Line* entry = found != nullptr ? findEntry(*found, trimBlanks(gbkKey)) : nullptr;
    if (entry == nullptr) {
        return {};
    }
    std::string_view text = trimBlanks(content(*entry).substr(entry->valueBegin));
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front()) {
        text = text.substr(1, text.size() - 2);
    }
    return GbkToUtf8(cutValue(text));
}

std::vector<std::string> ProfileDocument::sectionNames() const {
    std::vector<std::string> names;
    names.reserve(sectionCount());
    for (const Section& section : m_sections) {
        if (section.named) {
            names.push_back(GbkToUtf8(name(section.lines.front())));
        }
    }
    return names;
}

bool ProfileDocument::setValue(std::string_view section, std::string_view key,
                               std::string_view value) {
    const std::string gbkSection = Utf8ToGbk(section);
    const std::string gbkKey = Utf8ToGbk(key);
    const std::string gbkValue = Utf8ToGbk(value);
    const std::string_view sectionName = trimBlanks(gbkSection);
    const std::string_view keyName = trimBlanks(gbkKey);
    if (hasLineBreak(sectionName) || hasLineBreak(keyName) || hasLineBreak(gbkValue) ||
        findChar(sectionName, ']', 0) != std::string_view::npos || keyName.empty() ||
        keyName.front() == '[' || keyName.find('=') != std::string_view::npos) {
        return false;
    }
    const std::string entryText = std::string(keyName) + "=" + gbkValue + "\r\n";

    const auto found = m_firstSection.find(foldCase(sectionName));
    if (found != m_firstSection.end()) {
        std::vector<Line>& lines = m_sections[found->second].lines;
        for (Line& line : lines) {
            if (line.kind == LineKind::Entry && sameName(name(line), keyName)) {
                const std::string_view old = content(line);
                const std::string& store = line.store == 0 ? m_source : m_written[line.store - 1];
                std::string text(old.substr(0, line.valueBegin));
                text += gbkValue;
                text.append(store, line.begin + line.size, line.endSize);
                line = storeLine(std::move(text), line.endSize);
                return true;
            }
        }
        // After the last non-blank line, so blank lines that part it from the next section
        // stay where they are. The header is never blank.
        std::size_t at = lines.size();
        while (at > 1 && trimBlanks(content(lines[at - 1])).empty()) {
            --at;
        }
        ensureLineEnd(lines[at - 1]);
        const Line entry = storeLine(entryText, 2);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
        return true;
    }

    for (auto it = m_sections.rbegin(); it != m_sections.rend(); ++it) {
        if (!it->lines.empty()) {
            ensureLineEnd(it->lines.back());
            break;
        }
    }
    m_firstSection.emplace(foldCase(sectionName), m_sections.size());
    Section added{{}, true};
    ++m_namedSections;
    added.lines.push_back(storeLine("[" + std::string(sectionName) + "]\r\n", 2));
    added.lines.push_back(storeLine(entryText, 2));
    m_sections.push_back(std::move(added));
    return true;
}

std::string ProfileDocument::bytes() const {
    std::size_t total = 0;
    for (const Section& section : m_sections) {
        for (const Line& line : section.lines) {
            total += line.size + line.endSize;
        }
    }
    std::string out;
    out.reserve(total);
    for (const Section& section : m_sections) {
        for (const Line& line : section.lines) {
            const std::string& store = line.store == 0 ? m_source : m_written[line.store - 1];
            out.append(store, line.begin, line.size + line.endSize);
        }
    }
    return out;
}

}  // namespace velmora::persist
