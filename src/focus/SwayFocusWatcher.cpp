#include "focus/SwayFocusWatcher.h"

#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>

#include "focus/UnixSocket.h"

namespace kelvadeck {

namespace {

constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr size_t kHeader = sizeof kMagic + 8;
constexpr uint32_t kSubscribe = 2;
constexpr uint32_t kGetTree = 4;
constexpr uint32_t kWindowEvent = 0x80000003;

// The names of a container of the tree or of a window event.
FocusedWindow Window(const nlohmann::json& c) {
    FocusedWindow w;
    if (c.contains("app_id") && c["app_id"].is_string()) w.names.push_back(c["app_id"].get<std::string>());
    if (c.contains("window_properties") && c["window_properties"].is_object()) {
        const auto& props = c["window_properties"];
        for (const char* key : {"instance", "class"}) {
            if (props.contains(key) && props[key].is_string()) w.names.push_back(props[key].get<std::string>());
        }
    }
    if (c.contains("name") && c["name"].is_string()) w.title = c["name"].get<std::string>();
    return w;
}

// The focused window in the tree, when one is.
std::optional<FocusedWindow> Focused(const nlohmann::json& node) {
    if (!node.is_object()) return std::nullopt;
    if (node.value("focused", false) && (node.contains("app_id") || node.contains("window_properties"))) return Window(node);
    for (const char* children : {"nodes", "floating_nodes"}) {
        if (!node.contains(children) || !node[children].is_array()) continue;
        for (const auto& child : node[children]) {
            if (auto w = Focused(child)) return w;
        }
    }
    return std::nullopt;
}

}  // namespace

SwayFocusWatcher::SwayFocusWatcher(std::string socketPath) : m_path(std::move(socketPath)) {
    if (m_path.empty()) {
        if (const char* env = std::getenv("SWAYSOCK")) m_path = env;
    }
}

bool SwayFocusWatcher::Send(uint32_t type, const std::string& payload) {
    std::string message(kMagic, sizeof kMagic);
    const auto length = static_cast<uint32_t>(payload.size());
    message.append(reinterpret_cast<const char*>(&length), 4);
    message.append(reinterpret_cast<const char*>(&type), 4);
    message += payload;
    return UnixSocket::WriteAll(m_fd.Get(), message);
}

bool SwayFocusWatcher::TakeMessage(uint32_t& type, std::string& payload) {
    if (m_buffer.size() < kHeader) return false;
    uint32_t length = 0;
    std::memcpy(&length, m_buffer.data() + sizeof kMagic, 4);
    std::memcpy(&type, m_buffer.data() + sizeof kMagic + 4, 4);
    if (m_buffer.size() < kHeader + length) return false;
    payload = m_buffer.substr(kHeader, length);
    m_buffer.erase(0, kHeader + length);
    return true;
}

bool SwayFocusWatcher::Receive(uint32_t& type, std::string& payload) {
    while (!TakeMessage(type, payload)) {
        if (!UnixSocket::ReadSome(m_fd.Get(), m_buffer, 2000)) return false;
    }
    return true;
}

bool SwayFocusWatcher::Start(std::string& error) {
    if (m_path.empty()) {
        error = "no IPC socket (SWAYSOCK is not set)";
        return false;
    }
    m_fd = UnixSocket::Connect(m_path, error);
    if (!m_fd.Valid()) return false;
    uint32_t type = 0;
    std::string reply;
    if (!Send(kGetTree, "") || !Receive(type, reply) || type != kGetTree) {
        error = "no answer on " + m_path;
        return false;
    }
    const auto tree = nlohmann::json::parse(reply, nullptr, false);
    m_current = Focused(tree).value_or(FocusedWindow{});
    if (!Send(kSubscribe, "[\"window\"]") || !Receive(type, reply) || type != kSubscribe ||
        !nlohmann::json::parse(reply, nullptr, false).value("success", false)) {
        error = "the compositor did not take the subscription to window events";
        return false;
    }
    // Events read together with the answer are the focus as of now.
    TakeEvents();
    return true;
}

std::optional<FocusedWindow> SwayFocusWatcher::Dispatch(bool& ok) {
    ok = UnixSocket::ReadSome(m_fd.Get(), m_buffer, 0);
    return TakeEvents();
}

std::optional<FocusedWindow> SwayFocusWatcher::TakeEvents() {
    std::optional<FocusedWindow> moved;
    uint32_t type = 0;
    std::string payload;
    while (TakeMessage(type, payload)) {
        if (type != kWindowEvent) continue;
        const auto event = nlohmann::json::parse(payload, nullptr, false);
        if (!event.is_object() || event.value("change", "") != "focus" || !event.contains("container")) continue;
        m_current = Window(event["container"]);
        moved = m_current;
    }
    return moved;
}

}  // namespace kelvadeck
