#pragma once

#include <filesystem>

namespace kelvadeck {

// The user's XDG base folders. A relative value of the variable is ignored,
// as the XDG rules say; HOME gives the default. Empty when neither is set.
class XdgDirs {
public:
    // $XDG_CONFIG_HOME, else ~/.config.
    static std::filesystem::path ConfigHome();
    // $XDG_DATA_HOME, else ~/.local/share.
    static std::filesystem::path DataHome();
};

}  // namespace kelvadeck
