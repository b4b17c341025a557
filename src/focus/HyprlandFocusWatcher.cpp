#include "focus/HyprlandFocusWatcher.h"

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "focus/UnixSocket.h"

namespace kelvadeck {

namespace {

std::string InstanceFolder() {
    const char* signature = std::getenv("HYPRLAND_INSTANCE_SIGNATURE");
    if (signature == nullptr || *signature == '\0') return {};
    namespace fs = std::filesystem;
    std::error_code ec;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') {
        const fs::path folder = fs::path(runtime) / "hypr" / signature;
        if (fs::exists(folder / ".socket2.sock", ec)) return folder.string();
    }
    return (fs::path("/tmp/hypr") / signature).string();  // where older versions keep them
}

FocusedWindow FromLine(const std::string& data) {
    // "CLASS,TITLE": the title may hold commas, the class does not.
    FocusedWindow w;
    const size_t comma = data.find(',');
    const std::string cls = data.substr(0, comma);
    if (!cls.empty()) w.names.push_back(cls);
    if (comma != std::string::npos) w.title = data.substr(comma + 1);
    return w;
}

}  // namespace

HyprlandFocusWatcher::HyprlandFocusWatcher(std::string folder) : m_folder(std::move(folder)) {
    if (m_folder.empty()) m_folder = InstanceFolder();
}

bool HyprlandFocusWatcher::Start(std::string& error) {
    if (m_folder.empty()) {
        error = "no instance (HYPRLAND_INSTANCE_SIGNATURE is not set)";
        return false;
    }
    m_events = UnixSocket::Connect(m_folder + "/.socket2.sock", error);
    return m_events.Valid();
}

std::optional<FocusedWindow> HyprlandFocusWatcher::Dispatch(bool& ok) {
    ok = UnixSocket::ReadSome(m_events.Get(), m_buffer, 0);
    std::optional<FocusedWindow> moved;
    for (size_t end = m_buffer.find('\n'); end != std::string::npos; end = m_buffer.find('\n')) {
        const std::string line = m_buffer.substr(0, end);
        m_buffer.erase(0, end + 1);
        static const std::string kActive = "activewindow>>";
        if (line.rfind(kActive, 0) == 0) moved = FromLine(line.substr(kActive.size()));
    }
    return moved;
}

std::optional<FocusedWindow> HyprlandFocusWatcher::Current() {
    std::string error;
    const UniqueFd request = UnixSocket::Connect(m_folder + "/.socket.sock", error);
    std::string reply;
    if (!request.Valid() || !UnixSocket::WriteAll(request.Get(), "j/activewindow")) return std::nullopt;
    // The answer ends when the compositor closes the socket (or goes quiet).
    for (size_t before = 0;; before = reply.size()) {
        if (!UnixSocket::ReadSome(request.Get(), reply, 1000) || reply.size() == before) break;
    }
    const auto window = nlohmann::json::parse(reply, nullptr, false);
    FocusedWindow w;
    if (!window.is_object()) return w;  // no window is active
    for (const char* key : {"class", "initialClass"}) {
        if (window.contains(key) && window[key].is_string() && !window[key].get<std::string>().empty()) {
            const std::string name = window[key].get<std::string>();
            if (w.names.empty() || w.names.back() != name) w.names.push_back(name);
        }
    }
    if (window.contains("title") && window["title"].is_string()) w.title = window["title"].get<std::string>();
    return w;
}

}  // namespace kelvadeck
