#include "platform/linux/xdg_autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include "persist/atomic_file.h"
#include "persist/gbk.h"
#include "platform/program_location.h"

namespace velmora::platform {

namespace {

// Escapes a value by the Desktop Entry rules for strings. Blanks at the ends would be
// dropped by readers, so they are written as "\s".
std::string escapeString(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case ' ':
                out += i == 0 || i + 1 == text.size() ? "\\s" : " ";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// One argument of an Exec line, always quoted so that no character of it is taken for a
// separator or for the shell, and with '%' doubled so that no field code is expanded.
std::string quoteExecArgument(std::string_view argument) {
    std::string out = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '%') {
            out += "%%";
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

bool writable(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n' && c != '\t' && c != '\r') || byte == 0x7F) {
            return false;
        }
    }
    return persist::IsUtf8(text);
}

}  // namespace

std::optional<std::string> DesktopEntryFor(std::string_view programPath) {
    const std::string fileName = SplitProgramPath(std::string(programPath)).fileName;
    // Only a full path starts exactly this program; a bare name would be looked up in PATH.
    if (fileName.empty() || !programPath.starts_with('/') || !writable(programPath)) {
        return std::nullopt;
    }
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           escapeString(fileName) + "\nExec=" + escapeString(quoteExecArgument(programPath)) + "\n";
}

std::optional<std::filesystem::path> XdgAutostart::entryPath(std::string_view programPath) const {
    const std::string fileName = SplitProgramPath(std::string(programPath)).fileName;
    if (!m_configHome || fileName.empty()) {
        return std::nullopt;
    }
    return *m_configHome / "autostart" / (fileName + ".desktop");
}

bool XdgAutostart::exists(std::string_view programPath) const {
    const auto path = entryPath(programPath);
    struct stat info {};
    return path && ::lstat(path->c_str(), &info) == 0;
}

bool XdgAutostart::add(std::string_view programPath) {
    const auto path = entryPath(programPath);
    const auto entry = DesktopEntryFor(programPath);
    return path && entry && persist::WriteFileAtomically(*path, *entry);
}

bool XdgAutostart::remove(std::string_view programPath) {
    const auto path = entryPath(programPath);
    return path && ::unlink(path->c_str()) == 0;
}

}  // namespace velmora::platform
