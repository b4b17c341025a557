#pragma once

#include <string>
#include <sys/types.h>

namespace kelvadeck::testsupport {

// A private X server (Xvfb) for the tests that need X11: started on a free
// display number, stopped with the object. Running() is false where Xvfb is
// not installed or does not come up; such tests skip.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool Running() const { return m_pid > 0; }
    const std::string& Display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

}  // namespace kelvadeck::testsupport
