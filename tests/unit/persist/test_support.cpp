#include "tests/unit/persist/test_support.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

namespace velmora::persist::testing {

namespace {

std::filesystem::path tempRoot() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && *tmp == '/' ? std::filesystem::path(tmp) : "/tmp";
}

// Nothing in these tests may reach the real ~/.config: the process's XDG_CONFIG_HOME and
// HOME point into a temporary folder for the whole run.
class HermeticHome : public ::testing::Environment {
public:
    void SetUp() override {
        m_home = std::make_unique<TempDir>();
        ::setenv("HOME", m_home->path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_home->path() / ".config").c_str(), 1);
    }
    void TearDown() override { m_home.reset(); }

private:
    std::unique_ptr<TempDir> m_home;
};

[[maybe_unused]] ::testing::Environment* const g_hermeticHome =
    ::testing::AddGlobalTestEnvironment(new HermeticHome);

}  // namespace

TempDir::TempDir() {
    std::string pattern = (tempRoot() / "velmora-persist-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    // Tests take rights away from files and folders; give them back so all can go.
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(
             m_path, std::filesystem::directory_options::skip_permission_denied, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, error);
        }
    }
    std::filesystem::remove_all(m_path, error);
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return bytes;
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TestData(std::string_view name) {
    const auto path = std::filesystem::path(VELMORA_TEST_DATA_DIR) / name;
    if (!std::filesystem::is_regular_file(path)) {
        ADD_FAILURE() << "missing test data " << path;
        return {};
    }
    return ReadBytes(path);
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string RunInChild(const std::function<std::string()>& body) {
    int report[2];
    if (::pipe(report) != 0) {
        return "pipe failed";
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return "fork failed";
    }
    if (child == 0) {
        ::close(report[0]);
        const std::string failure = body();
        const char* data = failure.data();
        std::size_t left = failure.size();
        while (left > 0) {
            const ssize_t written = ::write(report[1], data, left);
            if (written <= 0) {
                break;
            }
            data += written;
            left -= static_cast<std::size_t>(written);
        }
        // _exit: the child must not run the test framework's exit handlers.
        ::_exit(0);
    }
    ::close(report[1]);
    std::string failure;
    char buffer[512];
    ssize_t got = 0;
    while ((got = ::read(report[0], buffer, sizeof buffer)) > 0) {
        failure.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(report[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        failure += " (the child died, status " + std::to_string(status) + ")";
    }
    return failure;
}

std::string RunUnprivileged(const std::function<std::string()>& body) {
    return RunInChild([&]() -> std::string {
        if (::geteuid() == 0) {
            const uid_t nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) {
                return "skip: cannot give up root";
            }
        }
        return body();
    });
}

}  // namespace velmora::persist::testing
