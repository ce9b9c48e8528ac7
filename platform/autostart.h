#pragma once

#include <string_view>

namespace velmora::platform {

// The user's list of programs started at logon. An entry is named after a program file's name
// (the last component of its path), so there is at most one entry per file name; it starts
// a program file, with no argument.
//
// Each call reports whether the system did what was asked; the program itself ignores the
// answer (a failed entry only means the task is not re-armed after the next logon), tests
// check it.
class AutostartStore {
public:
    virtual ~AutostartStore() = default;

    // Whether an entry named after programPath's file name exists, whatever it starts.
    virtual bool exists(std::string_view programPath) const = 0;

    // Writes the entry named after programPath's file name so that it starts programPath.
    virtual bool add(std::string_view programPath) = 0;

    // Removes the entry named after programPath's file name.
    virtual bool remove(std::string_view programPath) = 0;
};

// The program's logon-entry operation. add: write the entry only when none of that name
// exists; an existing one is neither compared nor rewritten, even when it starts another
// path. !add: remove the entry only when one exists. True when nothing was left to do.
//
//   SetAutostart(store, "/opt/velmora/velmora", true);   // adds velmora's entry
//   SetAutostart(store, "/opt/velmora/velmora", true);   // finds it: no change
//   SetAutostart(store, "/elsewhere/velmora", false);    // removes it
inline bool SetAutostart(AutostartStore& store, std::string_view programPath, bool add) {
    if (store.exists(programPath) == add) {
        return true;
    }
    return add ? store.add(programPath) : store.remove(programPath);
}

}  // namespace velmora::platform
