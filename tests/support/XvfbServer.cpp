#include "support/XvfbServer.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace kelvadeck::testsupport {

namespace {

bool Answers(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    const bool ok = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    return ok;
}

}  // namespace

XvfbServer::XvfbServer() {
    if (!std::filesystem::exists("/usr/bin/Xvfb")) return;
    // A display number no other test process of this run picks.
    for (int attempt = 0; attempt < 20 && m_pid < 0; ++attempt) {
        const int number = 200 + static_cast<int>((::getpid() * 7 + attempt * 13) % 700);
        const std::string display = ":" + std::to_string(number);
        if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) continue;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execl("/usr/bin/Xvfb", "Xvfb", display.c_str(), "-nolisten", "tcp", "-screen", "0", "640x480x24",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (pid < 0) return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) break;  // it gave up (display taken)
            if (Answers(display)) {
                m_pid = pid;
                m_display = display;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

XvfbServer::~XvfbServer() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
}

}  // namespace kelvadeck::testsupport
