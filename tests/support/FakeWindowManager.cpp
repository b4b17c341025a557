#include "support/FakeWindowManager.h"

#include <cstdlib>
#include <cstring>

namespace kelvadeck::testsupport {

FakeWindowManager::FakeWindowManager(const std::string& display) : m_c(xcb_connect(display.c_str(), nullptr)) {
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    m_active = Atom("_NET_ACTIVE_WINDOW");
}

FakeWindowManager::~FakeWindowManager() { xcb_disconnect(m_c); }

uint32_t FakeWindowManager::Window(const std::string& instance, const std::string& cls) {
    const uint32_t w = xcb_generate_id(m_c);
    xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, m_root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::string wmClass = instance + '\0' + cls + '\0';
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(wmClass.size()), wmClass.data());
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(cls.size()), cls.data());
    xcb_flush(m_c);
    return w;
}

void FakeWindowManager::Activate(uint32_t window) {
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, m_active, XCB_ATOM_WINDOW, 32, 1, &window);
    xcb_flush(m_c);
}

uint32_t FakeWindowManager::Atom(const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const uint32_t atom = r ? r->atom : 0;
    std::free(r);
    return atom;
}

}  // namespace kelvadeck::testsupport
