#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora::persist {

// The longest value a read gives, in GBK bytes: the settings reader's buffer of 10 240
// bytes less its terminating zero.
inline constexpr std::size_t kMaxValueBytes = 10239;

// A profile-format (INI) file in memory, read and edited by the rules of the Windows profile
// service, so that our files and the ones that service writes are interchangeable. The file
// holds GBK; names and values cross this interface as UTF-8 (see gbk.h).
//
// Reading:
// - A line whose first non-blank character is '[' and that has a ']' opens a section named
//   by the text between them, blanks trimmed. A '[' line without ']' ends the section before
//   it, and the lines after it up to the next header belong to no section.
// - Other lines with a '=' are entries: the key before the first '=', blanks trimmed.
// - Section and key names match with ASCII letters folded to one case; the first matching
//   section wins, and within it the first matching key.
// - A value loses the blanks around it, then one pair of enclosing '…' or "…" quotes, and is
//   cut to kMaxValueBytes GBK bytes, never between the two bytes of a character.
// - A missing section or key reads as "".
// - Blanks are space, tab and carriage return. Lines end at LF, with or without CR. A UTF-8
//   byte-order mark at the start of the file is passed over.
//
// Writing (setValue):
// - An existing entry gets its new value in place: the text up to and including its '=' and
//   its line end stay as they are.
// - A new key goes on a new line after the last non-blank line of its section; a new section
//   goes at the end of the file, as a header line and the entry line.
// - New lines end with CRLF; a last line without a line end gets one before anything follows.
// - Every other byte stays as it was: other sections, comments, blank lines, lines that are
//   none of the above, bytes that are not GBK.
//
//   ProfileDocument doc("[配置1]\r\n配置 = ' 8 '\r\n");   (in GBK)
//   doc.value("配置1", "配置") == " 8 "
//   doc.setValue("配置2", "配置", "1");
//   doc.bytes() == "[配置1]\r\n配置 = ' 8 '\r\n[配置2]\r\n配置=1\r\n"
class ProfileDocument {
public:
    // An empty file.
    ProfileDocument();
    // A file's bytes, whatever they hold.
    explicit ProfileDocument(std::string bytes);

    std::string value(std::string_view section, std::string_view key) const;

    // The names of all sections in file order, duplicates and all.
    std::vector<std::string> sectionNames() const;
    std::size_t sectionCount() const { return m_namedSections; }

    // Sets a value by the rules above. Refuses (returns false, changes nothing) what could not
    // be read back: a line break anywhere, a ']' in the section name, a '=' in the key, a key
    // that is empty or starts with '['. Blanks around the section name and the key are
    // dropped; the value is written as given.
    bool setValue(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes as they now are.
    std::string bytes() const;

private:
    enum class LineKind : std::uint8_t { Other, Header, BrokenHeader, Entry };

    // One line, as a range of its store: m_source when store is 0, else m_written[store - 1].
    // Kept small (32 bytes): a file of 50 MB may have a million lines. Offsets within a
    // line are 32 bits wide; the file reader refuses files of 4 GiB and more long before.
    struct Line {
        std::size_t begin = 0;
        std::uint32_t store = 0;
        std::uint32_t size = 0;       // the content, without the line end
        std::uint32_t nameBegin = 0;  // header: the name; entry: the key (within the content)
        std::uint32_t nameSize = 0;
        std::uint32_t valueBegin = 0;  // entry: the first byte after '=' (within the content)
        std::uint8_t endSize = 0;      // the line end's bytes following the content: 0, 1 or 2
        LineKind kind = LineKind::Other;
    };

    // The lines from a header up to the next one. Lines that belong to no section (those
    // before the first header, those after a broken header) form sections without a name,
    // which no lookup finds; m_sections[0] is one of them.
    struct Section {
        std::vector<Line> lines;
        bool named = false;
    };

    std::string_view content(const Line& line) const;
    std::string_view name(const Line& line) const;
    Line parseLine(std::uint32_t store, std::size_t begin, std::size_t size, std::uint8_t endSize,
                   bool firstInFile) const;
    // A line of our own making: `text` ends with `endSize` bytes of line end.
    Line storeLine(std::string text, std::uint8_t endSize);
    void ensureLineEnd(Line& line);
    const Section* findSection(std::string_view gbkName) const;
    const Line* findEntry(const Section& section, std::string_view gbkKey) const;

    std::string m_source;
    std::vector<std::string> m_written;
    std::vector<Section> m_sections;
    std::size_t m_namedSections = 0;
    // Folded section name -> index into m_sections of its first section.
    std::unordered_map<std::string, std::size_t> m_firstSection;
};

}  // namespace velmora::persist
