#include "focus/KWinFocusWatcher.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

namespace kelvadeck {

namespace {

constexpr const char* kKWin = "org.kde.KWin";
constexpr const char* kScripting = "/Scripting";
constexpr const char* kScriptingInterface = "org.kde.kwin.Scripting";

std::string RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr && *runtime != '\0' ? runtime : "/tmp";
}

// A JavaScript string literal holding text (D-Bus names need no more than this).
std::string Quoted(const std::string& text) {
    std::string q = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + "\"";
}

}  // namespace

KWinFocusWatcher::KWinFocusWatcher(std::string busAddress, std::string scriptFolder)
    : m_busAddress(std::move(busAddress)), m_pluginName("kelvadeck-focus-" + std::to_string(::getpid())) {
    m_scriptPath = (scriptFolder.empty() ? RuntimeFolder() : scriptFolder) + "/" + m_pluginName + ".js";
}

KWinFocusWatcher::~KWinFocusWatcher() {
    if (m_loaded) {
        sd_bus_call_method(m_bus.Get(), kKWin, kScripting, kScriptingInterface, "unloadScript", nullptr, nullptr, "s",
                           m_pluginName.c_str());
    }
    sd_bus_slot_unref(m_object);
    std::error_code ignored;
    std::filesystem::remove(m_scriptPath, ignored);
}

std::string KWinFocusWatcher::Script(const std::string& service) {
    // Plasma 6 names them windows, Plasma 5 clients.
    return "function report(w) {\n"
           "    callDBus(" + Quoted(service) + ", " + Quoted(OBJECT_PATH) + ", " + Quoted(INTERFACE) + ", \"Activated\",\n"
           "             w ? String(w.desktopFileName || \"\") : \"\", w ? String(w.resourceClass || \"\") : \"\",\n"
           "             w ? String(w.resourceName || \"\") : \"\");\n"
           "}\n"
           "if (workspace.windowActivated) workspace.windowActivated.connect(report);\n"
           "else workspace.clientActivated.connect(report);\n"
           "report(workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient);\n";
}

struct KWinFocusWatcher::Handlers {
    static int Activated(sd_bus_message* m, void* self, sd_bus_error* error);
};

int KWinFocusWatcher::Handlers::Activated(sd_bus_message* m, void* self, sd_bus_error*) {
    auto* watcher = static_cast<KWinFocusWatcher*>(self);
    const char* sender = sd_bus_message_get_sender(m);
    const char* desktopFile = nullptr;
    const char* resourceClass = nullptr;
    const char* resourceName = nullptr;
    if (sender != nullptr && watcher->m_kwin == sender &&
        sd_bus_message_read(m, "sss", &desktopFile, &resourceClass, &resourceName) >= 0) {
        FocusedWindow w;
        for (const char* name : {desktopFile, resourceClass, resourceName}) {
            if (name == nullptr || *name == '\0') continue;
            if (std::find(w.names.begin(), w.names.end(), name) == w.names.end()) w.names.emplace_back(name);
        }
        watcher->m_pending = w;
        watcher->m_last = w;
    }
    return sd_bus_reply_method_return(m, "");
}

bool KWinFocusWatcher::Start(std::string& error) {
    if (!m_bus.Open(m_busAddress, error)) return false;
    m_kwin = m_bus.NameOwner(kKWin);
    if (m_kwin.empty()) {
        error = "KWin is not running (not a Plasma session)";
        return false;
    }
    // KWin quit or restarted (and lost the script): the focus is no longer told.
    m_bus.WatchOwner(kKWin, [this](const std::string&) { m_kwinGone = true; });
    static const sd_bus_vtable kVtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Activated", "sss", "", &Handlers::Activated, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END};
    if (sd_bus_add_object_vtable(m_bus.Get(), &m_object, OBJECT_PATH, INTERFACE, kVtable, this) < 0) {
        error = "cannot serve the object KWin's script calls";
        return false;
    }
    {
        std::ofstream script(m_scriptPath, std::ios::trunc);
        script << Script(m_bus.UniqueName());
        if (!script.flush()) {
            error = "cannot write KWin's script to " + m_scriptPath;
            return false;
        }
    }
    sd_bus_error callError = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int id = -1;
    int r = sd_bus_call_method(m_bus.Get(), kKWin, kScripting, kScriptingInterface, "loadScript", &callError, &reply, "ss",
                               m_scriptPath.c_str(), m_pluginName.c_str());
    if (r >= 0) r = sd_bus_message_read(reply, "i", &id);
    sd_bus_message_unref(reply);
    if (r >= 0 && id >= 0) {
        m_loaded = true;
        // Runs every loaded script that is not running yet: ours.
        r = sd_bus_call_method(m_bus.Get(), kKWin, kScripting, kScriptingInterface, "start", &callError, nullptr, "");
    }
    if (r < 0 || id < 0) {
        error = std::string("KWin did not run the focus script") + (callError.message ? std::string(": ") + callError.message : "");
        sd_bus_error_free(&callError);
        return false;
    }
    sd_bus_error_free(&callError);
    return true;
}

std::optional<FocusedWindow> KWinFocusWatcher::Dispatch(bool& ok) {
    m_pending.reset();
    ok = m_bus.Process() && !m_kwinGone;
    return std::exchange(m_pending, std::nullopt);
}

}  // namespace kelvadeck
