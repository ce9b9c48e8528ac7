#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/linux/xdg_file_places.h"

namespace velmora::platform {
namespace {

TEST(XdgFilePlaces, FollowsTheBaseDirectoryRules) {
    const std::optional<std::string> unset;
    const struct {
        const char* name;
        std::optional<std::string> xdgConfigHome;
        std::optional<std::string> home;
        std::optional<std::string> userHome;
        std::optional<std::filesystem::path> expected;
    } kCases[] = {
        {"XDG_CONFIG_HOME first", "/x/config", "/home/ann", "/home/db", "/x/config"},
        {"HOME when XDG_CONFIG_HOME is unset", unset, "/home/ann", "/home/db", "/home/ann/.config"},
        {"HOME when XDG_CONFIG_HOME is empty", "", "/home/ann", unset, "/home/ann/.config"},
        {"a relative XDG_CONFIG_HOME is ignored", "config", "/home/ann", unset,
         "/home/ann/.config"},
        {"the user database when HOME is unset", unset, unset, "/home/db", "/home/db/.config"},
        {"the user database when HOME is relative", unset, "ann", "/home/db", "/home/db/.config"},
        {"nothing at all", unset, "", unset, std::nullopt},
        {"blanks and non-ASCII kept", "/home/ann/my 配置", unset, unset, "/home/ann/my 配置"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const XdgFilePlaces places(c.xdgConfigHome, c.home, c.userHome);
        EXPECT_EQ(places.configHome(), c.expected);
        EXPECT_EQ(places.settingsFolder(), c.expected);
    }
}

// Restores an environment variable when it goes out of scope.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : m_name(name) {
        if (const char* value = std::getenv(name)) {
            m_value = value;
        }
    }
    ~SavedVariable() {
        if (m_value) {
            ::setenv(m_name, m_value->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_value;
};

TEST(XdgFilePlaces, ReadsThisProcesssEnvironment) {
    const SavedVariable xdg("XDG_CONFIG_HOME");
    const SavedVariable home("HOME");
    ::setenv("XDG_CONFIG_HOME", "/nonexistent/velmora-test/config", 1);
    ::setenv("HOME", "/nonexistent/velmora-test/home", 1);
    EXPECT_EQ(XdgFilePlaces::fromEnvironment().settingsFolder(),
              std::filesystem::path("/nonexistent/velmora-test/config"));
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(XdgFilePlaces::fromEnvironment().settingsFolder(),
              std::filesystem::path("/nonexistent/velmora-test/home/.config"));

    ::unsetenv("HOME");
    const passwd* user = ::getpwuid(::getuid());
    if (user == nullptr || user->pw_dir == nullptr || user->pw_dir[0] != '/') {
        GTEST_SKIP() << "this user has no home folder in the user database";
    }
    EXPECT_EQ(XdgFilePlaces::fromEnvironment().settingsFolder(),
              std::filesystem::path(user->pw_dir) / ".config");
}

}  // namespace
}  // namespace velmora::platform
