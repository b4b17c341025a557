// The focus watchers of Wayland compositors against fake compositors: a test
// thread that serves the IPC socket as Sway or Hyprland does.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "focus/HyprlandFocusWatcher.h"
#include "focus/SwayFocusWatcher.h"

namespace kelvadeck {
namespace {

namespace fs = std::filesystem;

// A listening UNIX socket whose accepted connections a handler serves, one
// after the other, on a thread of its own.
class FakePeer {
public:
    using Handler = std::function<void(int fd)>;
    FakePeer(const std::string& path, Handler handler) : m_path(path) {
        m_listen = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(m_listen, 4);
        m_thread = std::thread([this, handler] {
            for (;;) {
                pollfd p{m_listen, POLLIN, 0};
                if (::poll(&p, 1, 100) <= 0) {
                    if (m_stop) return;
                    continue;
                }
                const int fd = ::accept(m_listen, nullptr, nullptr);
                if (fd < 0) return;
                handler(fd);
                ::close(fd);
            }
        });
    }
    ~FakePeer() {
        m_stop = true;
        m_thread.join();
        ::close(m_listen);
        ::unlink(m_path.c_str());
    }

private:
    std::string m_path;
    int m_listen = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

void Send(int fd, const std::string& bytes) { ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

std::string SwayMessage(uint32_t type, const std::string& payload) {
    std::string m = "i3-ipc";
    const auto length = static_cast<uint32_t>(payload.size());
    m.append(reinterpret_cast<const char*>(&length), 4);
    m.append(reinterpret_cast<const char*>(&type), 4);
    return m + payload;
}

// Reads one i3-ipc request and returns its type.
uint32_t SwayRequest(int fd) {
    char header[14];
    if (::recv(fd, header, sizeof header, MSG_WAITALL) != 14) return 0;
    uint32_t length = 0, type = 0;
    std::memcpy(&length, header + 6, 4);
    std::memcpy(&type, header + 10, 4);
    std::string payload(length, '\0');
    if (length > 0) ::recv(fd, payload.data(), length, MSG_WAITALL);
    return type;
}

}  // namespace

// Readable failures.
void PrintTo(const FocusedWindow& w, std::ostream* os) {
    *os << "{";
    for (const std::string& n : w.names) *os << '"' << n << "\" ";
    *os << "title \"" << w.title << "\"}";
}

namespace {

std::optional<FocusedWindow> Next(FocusWatcher& w) {
    pollfd p{w.Fd(), POLLIN, 0};
    for (int i = 0; i < 20; ++i) {
        if (::poll(&p, 1, 100) > 0) {
            bool ok = true;
            if (auto focused = w.Dispatch(ok)) return focused;
            if (!ok) return std::nullopt;
        }
    }
    return std::nullopt;
}

fs::path Scratch(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("kelvadeck-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(CompositorFocusWatcher, SwayReportsTheFocusedWindowOfTheTreeThenEachFocusEvent) {
    const fs::path dir = Scratch("sway");
    const std::string path = (dir / "ipc.sock").string();
    const std::string tree = R"({"nodes":[{"nodes":[{"app_id":"org.inkscape.Inkscape","name":"Drawing","focused":true}]}]})";
    const FakePeer sway(path, [&tree](int fd) {
        if (SwayRequest(fd) != 4) return;
        Send(fd, SwayMessage(4, tree));
        if (SwayRequest(fd) != 2) return;
        Send(fd, SwayMessage(2, R"({"success":true})"));
        ::usleep(200000);
        Send(fd, SwayMessage(0x80000003, R"({"change":"title","container":{"app_id":"x"}})"));
        Send(fd, SwayMessage(0x80000003, R"({"change":"focus","container":{"app_id":"krita","name":"sketch.kra"}})"));
        ::usleep(200000);  // events that come together: only the last focus counts
        Send(fd, SwayMessage(0x80000003, R"({"change":"focus","container":{"app_id":null,)"
                                         R"("window_properties":{"class":"Gimp","instance":"gimp"},"name":"GIMP"}})"));
        ::usleep(300000);
    });
    SwayFocusWatcher watcher(path);
    std::string error;
    ASSERT_TRUE(watcher.Start(error)) << error;
    EXPECT_EQ(watcher.Current(), (FocusedWindow{{"org.inkscape.Inkscape"}, "Drawing"}));
    EXPECT_EQ(Next(watcher), (FocusedWindow{{"krita"}, "sketch.kra"}));
    const auto gimp = Next(watcher).value_or(FocusedWindow{});
    EXPECT_EQ(gimp, (FocusedWindow{{"gimp", "Gimp"}, "GIMP"}));
    fs::remove_all(dir);
}

TEST(CompositorFocusWatcher, HyprlandReportsEachActiveWindowLineAndAnswersTheActiveWindow) {
    const fs::path dir = Scratch("hypr");
    const FakePeer events((dir / ".socket2.sock").string(), [](int fd) {
        Send(fd, "workspace>>2\nactivewindow>>krita,sketch, final.kra\n");
        ::usleep(200000);
        Send(fd, "activewindow>>,\n");
        ::usleep(300000);
    });
    const FakePeer requests((dir / ".socket.sock").string(), [](int fd) {
        char buffer[64] = {};
        ::recv(fd, buffer, sizeof buffer - 1, 0);
        if (std::string(buffer) == "j/activewindow") Send(fd, R"({"class":"org.gimp.GIMP","initialClass":"gimp","title":"GIMP"})");
    });
    HyprlandFocusWatcher watcher(dir.string());
    std::string error;
    ASSERT_TRUE(watcher.Start(error)) << error;
    EXPECT_EQ(watcher.Current(), (FocusedWindow{{"org.gimp.GIMP", "gimp"}, "GIMP"}));
    EXPECT_EQ(Next(watcher), (FocusedWindow{{"krita"}, "sketch, final.kra"}));  // the title may hold commas
    EXPECT_EQ(Next(watcher), FocusedWindow{});                                    // no window is active
    fs::remove_all(dir);
}

TEST(CompositorFocusWatcher, WithoutTheCompositorTheyTellWhy) {
    SwayFocusWatcher sway("/nonexistent/sway.sock");
    HyprlandFocusWatcher hypr("/nonexistent/hypr");
    std::string error;
    EXPECT_FALSE(sway.Start(error));
    EXPECT_NE(error.find("/nonexistent/sway.sock"), std::string::npos) << error;
    EXPECT_FALSE(hypr.Start(error));
    EXPECT_NE(error.find("/nonexistent/hypr"), std::string::npos) << error;
}

}  // namespace
}  // namespace kelvadeck
