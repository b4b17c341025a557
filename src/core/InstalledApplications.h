#pragma once

#include <string>
#include <vector>

namespace kelvadeck {

// The desktop's installed applications, as their .desktop files in the XDG
// data folders name them: what a rule can be made for without the
// application running. No file is trusted: unreadable or odd entries are
// left out, and only the [Desktop Entry] group's plain keys are read.
class InstalledApplications {
public:
    struct Application {
        std::string id;       // the file name without .desktop: the Wayland app id
        std::string name;     // Name=
        std::string wmClass;  // StartupWMClass=, when given
        bool operator==(const Application&) const = default;
    };

    // Every visible application of these folders (each holding applications/),
    // the first folder's entry winning where ids repeat; sorted by name.
    static std::vector<Application> List(const std::vector<std::string>& dataFolders);
    // $XDG_DATA_HOME and $XDG_DATA_DIRS (with their defaults), in that order.
    static std::vector<std::string> DataFolders();
};

}  // namespace kelvadeck
