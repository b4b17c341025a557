#include "focus/X11FocusWatcher.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace kelvadeck {

namespace {

// Replies of xcb are malloc'ed; this frees them.
template <typename T>
struct Reply {
    T* p = nullptr;
    explicit Reply(T* reply) : p(reply) {}
    ~Reply() { std::free(p); }
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

uint32_t Atom(xcb_connection_t* c, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<uint32_t>(XCB_ATOM_NONE);
}

// The bytes of a window's property, up to 4 KiB; empty when it has none.
std::string Property(xcb_connection_t* c, uint32_t window, uint32_t property, uint32_t type) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr));
    if (!reply || reply->format != 8) return {};
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply.p));
    return std::string(data, static_cast<size_t>(xcb_get_property_value_length(reply.p)));
}

}  // namespace

void X11FocusWatcher::Disconnect::operator()(xcb_connection_t* c) const { xcb_disconnect(c); }

X11FocusWatcher::X11FocusWatcher(std::string display) : m_display(std::move(display)) {}

X11FocusWatcher::~X11FocusWatcher() = default;

bool X11FocusWatcher::Start(std::string& error) {
    int screenNumber = 0;
    m_connection.reset(xcb_connect(m_display.empty() ? nullptr : m_display.c_str(), &screenNumber));
    xcb_connection_t* c = m_connection.get();
    if (xcb_connection_has_error(c) != 0) {
        error = "no X display" + std::string(m_display.empty() ? " ($DISPLAY)" : " " + m_display) + " to connect to";
        m_connection.reset();
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0) {
        error = "the X display has no screen";
        m_connection.reset();
        return false;
    }
    m_root = screens.data->root;
    m_activeAtom = Atom(c, "_NET_ACTIVE_WINDOW");
    m_nameAtom = Atom(c, "_NET_WM_NAME");
    m_utf8Atom = Atom(c, "UTF8_STRING");
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, m_root, XCB_CW_EVENT_MASK, &events);
    xcb_flush(c);
    return true;
}

int X11FocusWatcher::Fd() const { return m_connection ? xcb_get_file_descriptor(m_connection.get()) : -1; }

std::optional<FocusedWindow> X11FocusWatcher::Dispatch(bool& ok) {
    ok = m_connection && xcb_connection_has_error(m_connection.get()) == 0;
    if (!ok) return std::nullopt;
    std::optional<FocusedWindow> focused;
    // Asking for the new window's class reads from the connection, and events
    // that arrive meanwhile wait inside xcb, where a poll on the socket does
    // not see them: they are taken here, until none is left.
    for (;;) {
        bool moved = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection.get())) {
            if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
                const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
                moved = moved || (change->window == m_root && change->atom == m_activeAtom);
            }
            std::free(event);
        }
        ok = xcb_connection_has_error(m_connection.get()) == 0;
        if (!moved || !ok) break;
        focused = Current();
    }
    return ok ? focused : std::nullopt;
}

std::optional<FocusedWindow> X11FocusWatcher::Current() {
    if (!m_connection) return std::nullopt;
    xcb_connection_t* c = m_connection.get();
    const Reply<xcb_get_property_reply_t> active(
        xcb_get_property_reply(c, xcb_get_property(c, 0, m_root, m_activeAtom, XCB_ATOM_WINDOW, 0, 1), nullptr));
    FocusedWindow focused;
    if (!active || xcb_get_property_value_length(active.p) < 4) return focused;
    uint32_t window = 0;
    std::memcpy(&window, xcb_get_property_value(active.p), sizeof window);
    if (window == XCB_WINDOW_NONE) return focused;
    // WM_CLASS holds "instance\0class\0".
    const std::string wmClass = Property(c, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    for (size_t at = 0; at < wmClass.size();) {
        const size_t end = wmClass.find('\0', at);
        const std::string part = wmClass.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!part.empty()) focused.names.push_back(part);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    focused.title = Property(c, window, m_nameAtom, m_utf8Atom);
    if (focused.title.empty()) focused.title = Property(c, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
    return focused;
}

}  // namespace kelvadeck
