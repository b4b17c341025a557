#pragma once

#include <optional>
#include <string>

#include "focus/DbusConnection.h"
#include "focus/FocusWatcher.h"

struct sd_bus_slot;

namespace kelvadeck {

// GNOME Shell (Wayland and X11): the shell tells other programs nothing of
// the focus; the package's small shell extension does. It owns BUS_NAME on
// the session bus and offers Current() -> (application id, WM_CLASS) and the
// signal FocusChanged(application id, WM_CLASS). (No window titles: any
// program of the session can listen.)
class GnomeShellFocusWatcher : public FocusWatcher {
public:
    static constexpr const char* BUS_NAME = "org.example.kelvadeck.FocusWatch";
    static constexpr const char* OBJECT_PATH = "/org/example/kelvadeck/FocusWatch";
    static constexpr const char* INTERFACE = "org.example.kelvadeck.FocusWatch";
    // The extension in the form of GNOME Shell 42-44 and in the ES-module form
    // of 45 and later; the package installs both.
    static constexpr const char* EXTENSION_UUID = "kelvadeck-focus@kelvadeck.example.org";
    static constexpr const char* EXTENSION_UUID_45 = "kelvadeck-focus-45@kelvadeck.example.org";

    // How to switch on the extension that a shell of this version ("46.2";
    // empty when unknown) loads.
    static std::string EnableCommand(const std::string& shellVersion);

    // busAddress: empty for the user's session bus.
    explicit GnomeShellFocusWatcher(std::string busAddress = {});
    ~GnomeShellFocusWatcher() override;
    GnomeShellFocusWatcher(const GnomeShellFocusWatcher&) = delete;
    GnomeShellFocusWatcher& operator=(const GnomeShellFocusWatcher&) = delete;

    std::string Name() const override { return "GNOME Shell"; }
    // Fails, saying how to switch the extension on, when it is not running.
    bool Start(std::string& error) override;
    int Fd() const override { return m_bus.Fd(); }
    std::optional<FocusedWindow> Dispatch(bool& ok) override;
    std::optional<FocusedWindow> Current() override;

private:
    struct Handlers;  // the D-Bus callbacks
    friend struct Handlers;

    std::string m_busAddress;
    DbusConnection m_bus;
    sd_bus_slot* m_signalMatch = nullptr;
    bool m_extensionGone = false;
    std::optional<FocusedWindow> m_pending;
};

}  // namespace kelvadeck
