#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::persist::testing {

// A new folder under the system's temporary folder, removed with all it holds at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// The bytes of a file in tests/data.
std::string TestData(std::string_view name);

// The names in `folder`, sorted.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

// Runs `body` in a forked child and returns what it returned: "" for success, else a text
// that says what went wrong. A child that dies gives a text too. For what must not happen in
// the test process itself: dropping privileges, lowering resource limits.
std::string RunInChild(const std::function<std::string()>& body);

// As RunInChild, but when the tests run as root (as in CI) the child first gives up root for
// the user "nobody", so that file permissions hold for it. Gives a text that starts with
// "skip: " when that is not possible.
std::string RunUnprivileged(const std::function<std::string()>& body);

}  // namespace velmora::persist::testing
