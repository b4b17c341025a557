#include "core/Autostart.h"

#include <filesystem>

#include "base/AtomicFile.h"
#include "base/XdgDirs.h"

namespace kelvadeck {

namespace {

std::string UserAutostartFolder() {
    const std::filesystem::path config = XdgDirs::ConfigHome();
    return ((config.empty() ? std::filesystem::path(".") / ".config" : config) / "autostart").string();
}

}  // namespace

Autostart::Autostart(const std::string& folder)
    : m_path((folder.empty() ? UserAutostartFolder() : folder) + "/org.example.kelvadeck.desktop") {}

bool Autostart::Enabled() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(m_path, ec);
}

std::string Autostart::Entry(const std::string& program) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kelvadeck Configurator\n"
           "Comment=Keeps the Kelvadeck's mode on the application in focus\n"
           "Exec=" + program + " --in-tray\n"
           "Icon=kelvadeck\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool Autostart::Set(bool on, std::string& error) const {
    std::error_code ec;
    if (!on) {
        if (std::filesystem::remove(m_path, ec) || !ec) return true;
        error = ec.message();
        return false;
    }
    std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ec);
    // The installed program by its name: the session finds it on its PATH.
    return AtomicFile::Write(m_path, Entry("kelvadeck"), error);
}

}  // namespace kelvadeck
