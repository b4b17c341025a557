#include "base/XdgDirs.h"

#include <cstdlib>

namespace kelvadeck {

namespace {

std::filesystem::path Base(const char* variable, const std::filesystem::path& underHome) {
    if (const char* value = std::getenv(variable); value != nullptr && *value == '/') return value;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return std::filesystem::path(home) / underHome;
    return {};
}

}  // namespace

std::filesystem::path XdgDirs::ConfigHome() { return Base("XDG_CONFIG_HOME", ".config"); }

std::filesystem::path XdgDirs::DataHome() { return Base("XDG_DATA_HOME", std::filesystem::path(".local") / "share"); }

}  // namespace kelvadeck
