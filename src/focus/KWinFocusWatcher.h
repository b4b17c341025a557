#pragma once

#include <optional>
#include <string>

#include "focus/DbusConnection.h"
#include "focus/FocusWatcher.h"

struct sd_bus_slot;

namespace kelvadeck {

// KDE Plasma (Wayland and X11): KWin tells no other program which window is
// active, but it runs scripts. This watcher serves a small D-Bus object,
// loads a KWin script (through KWin's Scripting interface) that calls that
// object whenever a window is activated, and unloads it again when it goes.
class KWinFocusWatcher : public FocusWatcher {
public:
    // The object KWin's script calls, and its one method:
    // Activated(desktopFileName, resourceClass, resourceName).
    static constexpr const char* OBJECT_PATH = "/org/example/kelvadeck/FocusWatch";
    static constexpr const char* INTERFACE = "org.example.kelvadeck.FocusWatch";

    // busAddress: empty for the user's session bus. scriptFolder: where the
    // script file is written for KWin to load; empty: $XDG_RUNTIME_DIR (or /tmp).
    explicit KWinFocusWatcher(std::string busAddress = {}, std::string scriptFolder = {});
    ~KWinFocusWatcher() override;
    KWinFocusWatcher(const KWinFocusWatcher&) = delete;
    KWinFocusWatcher& operator=(const KWinFocusWatcher&) = delete;

    std::string Name() const override { return "KWin"; }
    bool Start(std::string& error) override;
    int Fd() const override { return m_bus.Fd(); }
    std::optional<FocusedWindow> Dispatch(bool& ok) override;
    // KWin's script reports the active window as soon as it runs; until that
    // report has come, nothing is known.
    std::optional<FocusedWindow> Current() override { return m_last; }

    // The script KWin runs: it calls `service` (this watcher's unique name).
    static std::string Script(const std::string& service);

private:
    struct Handlers;  // the D-Bus callbacks
    friend struct Handlers;

    std::string m_busAddress;
    std::string m_scriptPath;
    std::string m_pluginName;
    std::string m_kwin;  // KWin's unique name: only its calls count
    DbusConnection m_bus;
    sd_bus_slot* m_object = nullptr;
    bool m_kwinGone = false;
    bool m_loaded = false;
    std::optional<FocusedWindow> m_pending;
    std::optional<FocusedWindow> m_last;
};

}  // namespace kelvadeck
