#pragma once

#include <string>

namespace kelvadeck {

// Where the programs find their data (presetdata/, help/): the folder named by
// KELVADECK_RESOURCE_DIR, else share/kelvadeck beside an installed program,
// else the build tree's resource folder. The desktop application and the
// command line look the same way, so both see the same presets.
class ResourceDir {
public:
    // programDir: the folder holding the running program; buildDir: the
    // build tree's resource folder (empty when there is none). Returns the
    // first candidate that holds presetdata/ or help/, absolute; empty when
    // none does.
    static std::string Find(const std::string& programDir, const std::string& buildDir);
    // The folder of the running program (from /proc/self/exe), falling back
    // to argv0's folder.
    static std::string ProgramDir(const char* argv0);
};

}  // namespace kelvadeck
