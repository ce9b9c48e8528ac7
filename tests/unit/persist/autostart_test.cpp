#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/autostart.h"
#include "platform/fake/fake_autostart.h"
#include "platform/linux/xdg_autostart.h"
#include "tests/unit/persist/test_support.h"

namespace velmora::platform {
namespace {

using persist::testing::FolderNames;
using persist::testing::ReadBytes;
using persist::testing::TempDir;
using persist::testing::WriteBytes;

// The arguments that the Exec key of a desktop entry's [Desktop Entry] group stands for, read
// by the freedesktop.org Desktop Entry rules: the string escapes (\s \n \t \r \\) first, then
// the quoting (inside "...", a backslash only before " ` $ \), with "%%" for a literal '%'.
// Nothing when the entry breaks a rule, so a sloppy writer cannot pass.
std::optional<std::vector<std::string>> execArguments(const std::string& entry) {
    std::optional<std::string> raw;
    std::string group;
    std::size_t begin = 0;
    while (begin < entry.size()) {
        std::size_t end = entry.find('\n', begin);
        if (end == std::string::npos) {
            end = entry.size();
        }
        const std::string line = entry.substr(begin, end - begin);
        begin = end + 1;
        if (line.starts_with('[')) {
            group = line;
        } else if (group == "[Desktop Entry]" && line.starts_with("Exec")) {
            const std::size_t equals = line.find('=');
            if (equals == std::string::npos ||
                line.substr(4, equals - 4).find_first_not_of(' ') != std::string::npos) {
                continue;
            }
            if (raw) {
                return std::nullopt;  // a key twice in a group
            }
            raw = line.substr(line.find_first_not_of(' ', equals + 1) == std::string::npos
                                  ? line.size()
                                  : line.find_first_not_of(' ', equals + 1));
        }
    }
    if (!raw) {
        return std::nullopt;
    }
    std::string value;
    for (std::size_t i = 0; i < raw->size(); ++i) {
        if ((*raw)[i] != '\\') {
            value += (*raw)[i];
            continue;
        }
        if (++i == raw->size()) {
            return std::nullopt;
        }
        switch ((*raw)[i]) {
            case 's':
                value += ' ';
                break;
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            case 'r':
                value += '\r';
                break;
            case '\\':
                value += '\\';
                break;
            default:
                return std::nullopt;
        }
    }
    const std::string reserved = "\t\n\"'\\><~|&;$*?#()`";
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '%') {
            if (i + 1 == value.size() || value[i + 1] != '%') {
                return std::nullopt;  // a field code: it would be expanded
            }
            current += '%';
            inArgument = true;
            ++i;
        } else if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\') {
                if (i + 1 == value.size() ||
                    std::string("\"`$\\").find(value[i + 1]) == std::string::npos) {
                    return std::nullopt;
                }
                current += value[++i];
            } else {
                current += c;
            }
        } else if (c == ' ') {
            if (inArgument) {
                arguments.push_back(current);
                current.clear();
                inArgument = false;
            }
        } else if (c == '"') {
            quoted = true;
            inArgument = true;
        } else if (reserved.find(c) != std::string::npos) {
            return std::nullopt;  // must be quoted
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    if (inArgument) {
        arguments.push_back(current);
    }
    return arguments;
}

TEST(ExecArguments, ReadsWhatTheRulesSay) {
    using Arguments = std::vector<std::string>;
    const struct {
        const char* entry;
        std::optional<Arguments> expected;
    } kCases[] = {
        {"[Desktop Entry]\nExec=/bin/a b", Arguments{"/bin/a", "b"}},
        {"[Desktop Entry]\nExec = \"/my dir/a\"", Arguments{"/my dir/a"}},
        {"[Desktop Entry]\nExec=\"/a\\\\\\\\b\\\\$c\\\\\"d\"", Arguments{"/a\\b$c\"d"}},
        {"[Desktop Entry]\nExec=\"/a\\nb\\tc\"", Arguments{"/a\nb\tc"}},
        {"[Desktop Entry]\nExec=/a%%b", Arguments{"/a%b"}},
        {"[Desktop Entry]\nExec=/a %f", std::nullopt},
        {"[Desktop Entry]\nExec=/a$b", std::nullopt},
        {"[Desktop Entry]\nExec=\"/a\\\\b\"", std::nullopt},  // an unknown quoted escape
        {"[Desktop Entry]\nExec=\"/a", std::nullopt},
        {"[Other]\nExec=/a", std::nullopt},
        {"[Desktop Entry]\nExec=/a\nExec=/b", std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(execArguments(c.entry), c.expected);
    }
}

// Paths that a desktop entry must quote or escape to start exactly that program.
const char* const kAwkwardPaths[] = {
    "/opt/velmora/velmora",
    "/home/ann/my tools/velmora",
    "/home/ann/  two  blanks /velmora",
    "/home/ann/\"quoted\"/velmora",
    "/home/ann/it's/velmora",
    "/home/ann/back\\slash\\\\/velmora",
    "/home/ann/$HOME/${PATH}/velmora",
    "/home/ann/100%/%f %u %%/velmora",
    "/home/ann/`id`/$(id)/velmora",
    "/home/ann/a;b&c|d>e<f*g?h#i~j(k)/velmora",
    "/home/ann/tab\tline\nreturn\r/velmora",
    "/home/ann/下载/定时 关机/velmora",
    "/home/ann/\\s\\n/velmora",
};

// The two stores behind one contract. Each brings the store and a way to look at and plant
// entries as the system holds them.
struct FakeBackend {
    FakeAutostart store;

    void plant(const std::string& fileName, const std::string& programPath) {
        store.plant(fileName, programPath);
    }
    std::optional<std::string> startedProgram(const std::string& fileName) const {
        const auto found = store.entries().find(fileName);
        return found == store.entries().end() ? std::nullopt
                                              : std::optional<std::string>(found->second);
    }
    std::size_t entryCount() const { return store.entries().size(); }
    void makeUnavailable() { store.setFailing(true); }
};

struct XdgBackend {
    TempDir dir;
    XdgAutostart store{dir / ".config"};

    std::filesystem::path folder() const { return dir / ".config" / "autostart"; }
    void plant(const std::string& fileName, const std::string& programPath) {
        std::filesystem::create_directories(folder());
        WriteBytes(
            folder() / (fileName + ".desktop"),
            "[Desktop Entry]\nType=Application\nName=" + fileName + "\nExec=" + programPath + "\n");
    }
    std::optional<std::string> startedProgram(const std::string& fileName) const {
        const auto path = folder() / (fileName + ".desktop");
        if (!std::filesystem::exists(path)) {
            return std::nullopt;
        }
        const auto arguments = execArguments(ReadBytes(path));
        if (!arguments || arguments->size() != 1) {
            return "(not one program: " + ReadBytes(path) + ")";
        }
        return arguments->front();
    }
    std::size_t entryCount() const { return FolderNames(folder()).size(); }
    void makeUnavailable() { WriteBytes(dir / ".config", "a file where the folder belongs"); }
};

template <typename Backend>
class AutostartContract : public ::testing::Test {
protected:
    Backend backend;
};

using Backends = ::testing::Types<FakeBackend, XdgBackend>;
TYPED_TEST_SUITE(AutostartContract, Backends);

TYPED_TEST(AutostartContract, AddsAnEntryThatStartsExactlyTheProgram) {
    for (const char* path : kAwkwardPaths) {
        SCOPED_TRACE(path);
        ASSERT_FALSE(this->backend.store.exists(path));
        EXPECT_TRUE(SetAutostart(this->backend.store, path, true));
        EXPECT_TRUE(this->backend.store.exists(path));
        EXPECT_EQ(this->backend.startedProgram("velmora"), path);
        EXPECT_EQ(this->backend.entryCount(), 1u);
        EXPECT_TRUE(SetAutostart(this->backend.store, path, false));
        EXPECT_FALSE(this->backend.store.exists(path));
        EXPECT_EQ(this->backend.entryCount(), 0u);
    }
}

TYPED_TEST(AutostartContract, StartingTwiceWritesOnce) {
    auto& store = this->backend.store;
    ASSERT_TRUE(SetAutostart(store, "/opt/velmora/velmora", true));
    // Mark the entry: a second write would wipe the mark.
    this->backend.plant("velmora", "/marked/velmora");
    EXPECT_TRUE(SetAutostart(store, "/opt/velmora/velmora", true));
    EXPECT_EQ(this->backend.startedProgram("velmora"), "/marked/velmora");
    EXPECT_EQ(this->backend.entryCount(), 1u);
}

TYPED_TEST(AutostartContract, AnEntryWithAnotherPathIsKeptAndCancellingRemovesIt) {
    auto& store = this->backend.store;
    this->backend.plant("velmora", "/old/place/velmora");
    EXPECT_TRUE(SetAutostart(store, "/opt/velmora/velmora", true));
    EXPECT_EQ(this->backend.startedProgram("velmora"), "/old/place/velmora");
    EXPECT_TRUE(SetAutostart(store, "/opt/velmora/velmora", false));
    EXPECT_FALSE(store.exists("/opt/velmora/velmora"));
    EXPECT_EQ(this->backend.entryCount(), 0u);
}

TYPED_TEST(AutostartContract, CancellingWithoutAnEntryChangesNothing) {
    auto& store = this->backend.store;
    this->backend.plant("other-program", "/usr/bin/other-program");
    EXPECT_TRUE(SetAutostart(store, "/opt/velmora/velmora", false));
    EXPECT_EQ(this->backend.startedProgram("other-program"), "/usr/bin/other-program");
    EXPECT_EQ(this->backend.entryCount(), 1u);
}

TYPED_TEST(AutostartContract, EntriesAreNamedByTheProgramFileName) {
    auto& store = this->backend.store;
    ASSERT_TRUE(SetAutostart(store, "/opt/velmora/velmora", true));
    // The program renamed: a new entry under the new name, the old one stays.
    ASSERT_TRUE(SetAutostart(store, "/opt/velmora/timer", true));
    EXPECT_EQ(this->backend.startedProgram("velmora"), "/opt/velmora/velmora");
    EXPECT_EQ(this->backend.startedProgram("timer"), "/opt/velmora/timer");
    // A copy elsewhere with the old name cancels the old entry.
    EXPECT_TRUE(SetAutostart(store, "/usr/local/bin/velmora", false));
    EXPECT_EQ(this->backend.startedProgram("velmora"), std::nullopt);
    EXPECT_EQ(this->backend.startedProgram("timer"), "/opt/velmora/timer");
}

TYPED_TEST(AutostartContract, AddReplacesAndRemoveReportsAMissingEntry) {
    auto& store = this->backend.store;
    this->backend.plant("velmora", "/old/place/velmora");
    EXPECT_TRUE(store.add("/opt/velmora/velmora"));
    EXPECT_EQ(this->backend.startedProgram("velmora"), "/opt/velmora/velmora");
    EXPECT_TRUE(store.remove("/opt/velmora/velmora"));
    EXPECT_FALSE(store.remove("/opt/velmora/velmora"));
}

TYPED_TEST(AutostartContract, AStoreThatRefusesSaysSo) {
    this->backend.makeUnavailable();
    EXPECT_FALSE(SetAutostart(this->backend.store, "/opt/velmora/velmora", true));
    EXPECT_FALSE(this->backend.store.exists("/opt/velmora/velmora"));
    EXPECT_TRUE(SetAutostart(this->backend.store, "/opt/velmora/velmora", false));
}

TEST(XdgAutostart, WritesADesktopEntryInTheUsersAutostartFolder) {
    TempDir dir;
    XdgAutostart store(dir / ".config");
    ASSERT_TRUE(SetAutostart(store, "/home/ann/my tools/velmora", true));
    EXPECT_EQ(store.entryPath("/x/velmora"), dir / ".config" / "autostart" / "velmora.desktop");
    EXPECT_EQ(FolderNames(dir / ".config" / "autostart"),
              std::vector<std::string>{"velmora.desktop"});
    EXPECT_EQ(ReadBytes(dir / ".config" / "autostart" / "velmora.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=velmora\n"
              "Exec=\"/home/ann/my tools/velmora\"\n");
    struct stat info {};
    ASSERT_EQ(::stat((dir / ".config" / "autostart").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(XdgAutostart, EscapesTheExecLineByTheDesktopEntryRules) {
    // The exact text, so that a change of escaping is a visible decision.
    const struct {
        const char* path;
        const char* exec;
    } kCases[] = {
        {"/a b/c", "Exec=\"/a b/c\""},
        {"/a\"b", "Exec=\"/a\\\\\"b\""},
        {"/a\\b", "Exec=\"/a\\\\\\\\b\""},
        {"/a$b`c", "Exec=\"/a\\\\$b\\\\`c\""},
        {"/a%b", "Exec=\"/a%%b\""},
        {"/a\nb\tc", "Exec=\"/a\\nb\\tc\""},
        {"/下载/定时", "Exec=\"/下载/定时\""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.path);
        const auto entry = DesktopEntryFor(c.path);
        ASSERT_TRUE(entry.has_value());
        EXPECT_NE(entry->find(std::string("\n") + c.exec + "\n"), std::string::npos) << *entry;
    }
}

TEST(XdgAutostart, EscapesBlanksAtTheEndsOfTheName) {
    const auto entry = DesktopEntryFor("/opt/ velmora ");
    ASSERT_TRUE(entry.has_value());
    EXPECT_NE(entry->find("\nName=\\svelmora\\s\n"), std::string::npos) << *entry;
}

TEST(XdgAutostart, RefusesPathsNoEntryCanStart) {
    const char* const kPaths[] = {
        "",
        "/opt/velmora/",
        "velmora",                        // not a full path: PATH would decide
        "/opt/\xC5\xE4\xD6\xC3/velmora",  // GBK, not UTF-8
        "/opt/a\x01"
        "b/velmora",
        "/opt/a\x7F"
        "b/velmora",
    };
    for (const char* path : kPaths) {
        SCOPED_TRACE(path);
        TempDir dir;
        XdgAutostart store(dir / ".config");
        EXPECT_FALSE(DesktopEntryFor(path).has_value());
        EXPECT_FALSE(SetAutostart(store, path, true));
        EXPECT_TRUE(FolderNames(dir.path()).empty());
    }
}

TEST(XdgAutostart, WithoutAConfigFolderNothingExistsAndNothingIsWritten) {
    XdgAutostart store(std::nullopt);
    EXPECT_FALSE(store.exists("/opt/velmora/velmora"));
    EXPECT_FALSE(SetAutostart(store, "/opt/velmora/velmora", true));
    EXPECT_TRUE(SetAutostart(store, "/opt/velmora/velmora", false));
}

}  // namespace
}  // namespace velmora::platform
