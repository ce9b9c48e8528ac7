#pragma once

#include <map>
#include <string>

#include "platform/autostart.h"
#include "platform/program_location.h"

namespace velmora::platform {

// Logon entries in memory: file name -> the program path the entry starts. A test can plant
// entries, make every change fail, and count the changes made.
class FakeAutostart final : public AutostartStore {
public:
    bool exists(std::string_view programPath) const override {
        return m_entries.contains(nameOf(programPath));
    }
    bool add(std::string_view programPath) override {
        if (m_failing || nameOf(programPath).empty()) {
            return false;
        }
        m_entries[nameOf(programPath)] = std::string(programPath);
        ++m_changes;
        return true;
    }
    bool remove(std::string_view programPath) override {
        if (m_failing || m_entries.erase(nameOf(programPath)) == 0) {
            return false;
        }
        ++m_changes;
        return true;
    }

    const std::map<std::string, std::string>& entries() const { return m_entries; }
    void plant(const std::string& fileName, const std::string& programPath) {
        m_entries[fileName] = programPath;
    }
    void setFailing(bool failing) { m_failing = failing; }
    int changes() const { return m_changes; }

private:
    static std::string nameOf(std::string_view programPath) {
        return SplitProgramPath(std::string(programPath)).fileName;
    }

    std::map<std::string, std::string> m_entries;
    bool m_failing = false;
    int m_changes = 0;
};

}  // namespace velmora::platform
