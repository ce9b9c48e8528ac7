// libFuzzer target for the profile-format parser: any bytes at all are a settings file that a
// user or another program may have left. Beyond not crashing, it checks the promises the
// settings rely on: reading changes no byte, a read value fits the read buffer, a written
// value reads back, and a write keeps every section and every byte it did not touch.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "persist/gbk.h"
#include "persist/profile_document.h"

namespace {

using velmora::persist::GbkToUtf8;
using velmora::persist::kMaxValueBytes;
using velmora::persist::ProfileDocument;
using velmora::persist::Utf8ToGbk;

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

std::size_t longestLine(std::string_view text) {
    std::size_t longest = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t size = end == std::string_view::npos ? text.size() : end + 1;
        longest = std::max(longest, size);
        text.remove_prefix(size);
    }
    return longest;
}

std::size_t sharedEnds(std::string_view a, std::string_view b) {
    std::size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) {
        ++suffix;
    }
    return prefix + suffix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const ProfileDocument document(bytes);
    check(document.bytes() == bytes, "reading changes no byte");

    const std::vector<std::string> names = document.sectionNames();
    check(names.size() == document.sectionCount(), "the count matches the names");
    for (std::size_t i = 0; i < names.size() && i < 64; ++i) {
        check(Utf8ToGbk(names[i]) == Utf8ToGbk(GbkToUtf8(Utf8ToGbk(names[i]))), "names convert");
        const std::string value = document.value(names[i], "配置");
        check(Utf8ToGbk(value).size() <= kMaxValueBytes, "a value fits the read buffer");
    }
    // Lookups with names the input makes up must not fail either.
    document.value(GbkToUtf8(bytes.substr(0, 16)), GbkToUtf8(bytes.substr(size / 2, 8)));

    // One write, into one of the file's sections (or a new one), under a key the file may hold.
    const std::string section = names.empty() ? "配置1" : names[size % names.size()];
    const std::string key = size % 3 == 0 ? "配置" : GbkToUtf8(bytes.substr(size / 3, 4));
    const std::string value = "v" + std::to_string(size);
    ProfileDocument edited(bytes);
    if (!edited.setValue(section, key, value)) {
        check(edited.bytes() == bytes, "a refused write changes nothing");
        return 0;
    }
    check(edited.value(section, key) == value, "a written value reads back");
    const std::string after = edited.bytes();
    const ProfileDocument reparsed(after);
    check(reparsed.value(section, key) == value, "a written value reads back from the file");
    const std::vector<std::string> namesAfter = reparsed.sectionNames();
    check(namesAfter.size() >= names.size() && namesAfter.size() <= names.size() + 1,
          "at most one section is added");
    for (std::size_t i = 0; i < names.size(); ++i) {
        check(namesAfter[i] == names[i], "the sections stay in their order");
    }
    check(bytes.size() - sharedEnds(bytes, after) <= longestLine(bytes),
          "a write changes one stretch, no longer than a line");
    return 0;
}
