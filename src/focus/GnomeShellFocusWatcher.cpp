#include "focus/GnomeShellFocusWatcher.h"

#include <systemd/sd-bus.h>

#include <cstdlib>
#include <memory>
#include <utility>

namespace kelvadeck {

GnomeShellFocusWatcher::GnomeShellFocusWatcher(std::string busAddress) : m_busAddress(std::move(busAddress)) {}

GnomeShellFocusWatcher::~GnomeShellFocusWatcher() {
    sd_bus_slot_unref(m_signalMatch);
}

struct GnomeShellFocusWatcher::Handlers {
    static std::optional<FocusedWindow> Read(sd_bus_message* m);
    static int FocusChanged(sd_bus_message* m, void* self, sd_bus_error* error);
};

// (application id, WM_CLASS), as the extension sends them.
std::optional<FocusedWindow> GnomeShellFocusWatcher::Handlers::Read(sd_bus_message* m) {
    const char* appId = nullptr;
    const char* wmClass = nullptr;
    if (sd_bus_message_read(m, "ss", &appId, &wmClass) < 0) return std::nullopt;
    FocusedWindow w;
    if (appId != nullptr && *appId != '\0') w.names.emplace_back(appId);
    if (wmClass != nullptr && *wmClass != '\0' && (w.names.empty() || w.names.front() != wmClass)) w.names.emplace_back(wmClass);
    return w;
}

int GnomeShellFocusWatcher::Handlers::FocusChanged(sd_bus_message* m, void* self, sd_bus_error*) {
    if (std::optional<FocusedWindow> w = Read(m)) static_cast<GnomeShellFocusWatcher*>(self)->m_pending = std::move(w);
    return 0;
}

namespace {

// The version the shell says on the bus ("46.2"); empty when nothing answers
// (not GNOME, or no shell yet).
std::string ShellVersion(sd_bus* bus) {
    char* version = nullptr;
    sd_bus_error ignored = SD_BUS_ERROR_NULL;
    sd_bus_get_property_string(bus, "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "ShellVersion", &ignored, &version);
    sd_bus_error_free(&ignored);
    const std::unique_ptr<char, decltype(&std::free)> owned(version, &std::free);
    return version != nullptr ? std::string(version) : std::string();
}

}  // namespace

std::string GnomeShellFocusWatcher::EnableCommand(const std::string& shellVersion) {
    const std::string old = std::string("\"gnome-extensions enable ") + EXTENSION_UUID + "\"";
    const std::string modern = std::string("\"gnome-extensions enable ") + EXTENSION_UUID_45 + "\"";
    int major = 0;
    for (const char c : shellVersion) {
        if (c < '0' || c > '9' || major > 1000) break;
        major = major * 10 + (c - '0');
    }
    if (major == 0) return old + " (GNOME 44 and older) or " + modern + " (GNOME 45 and later)";
    return major >= 45 ? modern : old;
}

bool GnomeShellFocusWatcher::Start(std::string& error) {
    if (!m_bus.Open(m_busAddress, error)) return false;
    if (m_bus.NameOwner(BUS_NAME).empty()) {
        error = "the Kelvadeck focus extension of GNOME Shell is not running; switch it on with " +
                EnableCommand(ShellVersion(m_bus.Get())) + " (after installing the package, log out and in first)";
        return false;
    }
    // The shell restarted (X11), the user switched the extension off, or logged out.
    const auto gone = [this](const std::string& owner) {
        if (owner.empty()) m_extensionGone = true;
    };
    if (sd_bus_match_signal(m_bus.Get(), &m_signalMatch, BUS_NAME, OBJECT_PATH, INTERFACE, "FocusChanged",
                            &Handlers::FocusChanged, this) < 0 ||
        !m_bus.WatchOwner(BUS_NAME, gone)) {
        error = "cannot listen to the focus extension's signals";
        return false;
    }
    return true;
}

std::optional<FocusedWindow> GnomeShellFocusWatcher::Dispatch(bool& ok) {
    m_pending.reset();
    ok = m_bus.Process() && !m_extensionGone;
    return std::exchange(m_pending, std::nullopt);
}

std::optional<FocusedWindow> GnomeShellFocusWatcher::Current() {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    std::optional<FocusedWindow> w;
    if (sd_bus_call_method(m_bus.Get(), BUS_NAME, OBJECT_PATH, INTERFACE, "Current", &error, &reply, "") >= 0) w = Handlers::Read(reply);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return w;
}

}  // namespace kelvadeck
