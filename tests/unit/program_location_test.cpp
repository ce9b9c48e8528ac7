#include "platform/program_location.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace velmora::platform {
namespace {

TEST(SplitProgramPath, CutsAtTheLastSeparator) {
    const struct {
        const char* path;
        const char* folder;
        const char* file;
    } kCases[] = {
        {"/opt/velmora/bin/velmora", "/opt/velmora/bin", "velmora"},
        {"/velmora", "/", "velmora"},
        {"velmora", "", "velmora"},
        {"/home/用户/工具/velmora", "/home/用户/工具", "velmora"},
        {"/tmp/dir/", "/tmp/dir", ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.path);
        const ProgramLocation location = SplitProgramPath(c.path);
        EXPECT_EQ(location.folder, c.folder);
        EXPECT_EQ(location.fileName, c.file);
    }
}

TEST(CurrentProgramLocation, NamesThisTestProgram) {
    const auto location = CurrentProgramLocation();
    ASSERT_TRUE(location.has_value());
    // The name the process was started under, as glibc recorded it from argv[0].
    EXPECT_EQ(location->fileName, program_invocation_short_name);
    EXPECT_TRUE(std::filesystem::is_directory(location->folder));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(location->folder) / location->fileName));
}

}  // namespace
}  // namespace velmora::platform
