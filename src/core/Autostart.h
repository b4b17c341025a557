#pragma once

#include <string>

namespace kelvadeck {

// "Start at login": the desktop's autostart entry for the configurator
// ($XDG_CONFIG_HOME/autostart/org.example.kelvadeck.desktop), which starts it
// in the system tray so that the device's mode follows the focus from the
// start of the session. The entry is written whole or not at all.
class Autostart {
public:
    // folder: the autostart folder; empty: the user's.
    explicit Autostart(const std::string& folder = {});

    bool Enabled() const;
    // Writes (on) or removes (off) the entry; false with the reason.
    bool Set(bool on, std::string& error) const;
    const std::string& Path() const { return m_path; }

    // The entry: the program started with --in-tray.
    static std::string Entry(const std::string& program);

private:
    std::string m_path;
};

}  // namespace kelvadeck
