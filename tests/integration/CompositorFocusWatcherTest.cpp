// The focus watchers of Wayland compositors against fake compositors: a test
// thread that serves the IPC socket as Sway or Hyprland does, or that sits on
// a private session bus as KWin or the GNOME Shell extension does.
#include <gtest/gtest.h>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "focus/GnomeShellFocusWatcher.h"
#include "focus/HyprlandFocusWatcher.h"
#include "focus/KWinFocusWatcher.h"
#include "focus/SwayFocusWatcher.h"
#include "support/DbusSessionServer.h"

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


// A program on a private session bus, on a thread of its own: it owns a
// name, serves objects, and runs what the test posts on that thread (sd-bus
// connections are not shared between threads).
class FakeBusPeer {
public:
    using Work = std::function<void(sd_bus*)>;
    FakeBusPeer(const std::string& address, const std::string& name, Work setUp) {
        sd_bus_new(&m_bus);
        sd_bus_set_address(m_bus, address.c_str());
        sd_bus_set_bus_client(m_bus, 1);
        sd_bus_start(m_bus);
        if (!name.empty()) sd_bus_request_name(m_bus, name.c_str(), 0);
        if (setUp) setUp(m_bus);
        m_thread = std::thread([this] {
            while (!m_stop) {
                pollfd p{sd_bus_get_fd(m_bus), POLLIN, 0};
                ::poll(&p, 1, 20);
                while (sd_bus_process(m_bus, nullptr) > 0) {
                }
                std::vector<Work> work;
                {
                    const std::lock_guard<std::mutex> lock(m_mutex);
                    work.swap(m_work);
                }
                for (Work& w : work) w(m_bus);
                sd_bus_flush(m_bus);
            }
        });
    }
    ~FakeBusPeer() {
        m_stop = true;
        m_thread.join();
        for (sd_bus_slot* slot : m_slots) sd_bus_slot_unref(slot);
        sd_bus_flush_close_unref(m_bus);
    }
    void Post(Work work) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_work.push_back(std::move(work));
    }
    void Keep(sd_bus_slot* slot) { m_slots.push_back(slot); }

private:
    sd_bus* m_bus = nullptr;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<Work> m_work;
    std::vector<sd_bus_slot*> m_slots;
    std::thread m_thread;
};

// KWin's Scripting interface, as far as the watcher uses it: it keeps the
// script it is given, and on Activate calls the service the script names as
// the script would when a window is activated.
class FakeKWin {
public:
    explicit FakeKWin(const std::string& address)
        : m_peer(address, "org.kde.KWin", [this](sd_bus* bus) {
              static const sd_bus_vtable vtable[] = {
                  SD_BUS_VTABLE_START(0),
                  SD_BUS_METHOD("loadScript", "ss", "i", &FakeKWin::OnLoad, 0),
                  SD_BUS_METHOD("start", "", "", &FakeKWin::OnStart, 0),
                  SD_BUS_METHOD("unloadScript", "s", "b", &FakeKWin::OnUnload, 0),
                  SD_BUS_VTABLE_END};
              sd_bus_slot* slot = nullptr;
              sd_bus_add_object_vtable(bus, &slot, "/Scripting", "org.kde.kwin.Scripting", vtable, this);
              m_slot = slot;
          }) {
        m_peer.Keep(m_slot);
    }
    void Activate(const std::string& desktopFile, const std::string& cls, const std::string& instance) {
        m_peer.Post([this, desktopFile, cls, instance](sd_bus* bus) {
            std::smatch service;
            const std::string script = Script();
            if (!std::regex_search(script, service, std::regex("callDBus\\(\"([^\"]+)\""))) return;
            sd_bus_call_method_async(bus, nullptr, service[1].str().c_str(), KWinFocusWatcher::OBJECT_PATH,
                                     KWinFocusWatcher::INTERFACE, "Activated", nullptr, nullptr, "sss", desktopFile.c_str(),
                                     cls.c_str(), instance.c_str());
        });
    }
    std::string Script() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_script;
    }
    bool Started() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_started;
    }
    std::string Unloaded() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_unloaded;
    }

private:
    static int OnLoad(sd_bus_message* m, void* self, sd_bus_error*) {
        const char* path = nullptr;
        const char* plugin = nullptr;
        sd_bus_message_read(m, "ss", &path, &plugin);
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        auto* kwin = static_cast<FakeKWin*>(self);
        const std::lock_guard<std::mutex> lock(kwin->m_mutex);
        kwin->m_script = text.str();
        return sd_bus_reply_method_return(m, "i", 3);
    }
    static int OnStart(sd_bus_message* m, void* self, sd_bus_error*) {
        auto* kwin = static_cast<FakeKWin*>(self);
        const std::lock_guard<std::mutex> lock(kwin->m_mutex);
        kwin->m_started = true;
        return sd_bus_reply_method_return(m, "");
    }
    static int OnUnload(sd_bus_message* m, void* self, sd_bus_error*) {
        const char* plugin = nullptr;
        sd_bus_message_read(m, "s", &plugin);
        auto* kwin = static_cast<FakeKWin*>(self);
        const std::lock_guard<std::mutex> lock(kwin->m_mutex);
        kwin->m_unloaded = plugin != nullptr ? plugin : "";
        return sd_bus_reply_method_return(m, "b", 1);
    }

    std::mutex m_mutex;
    std::string m_script;
    bool m_started = false;
    std::string m_unloaded;
    sd_bus_slot* m_slot = nullptr;
    FakeBusPeer m_peer;
};

// The package's GNOME Shell extension: Current() and FocusChanged signals.
class FakeGnomeExtension {
public:
    explicit FakeGnomeExtension(const std::string& address)
        : m_peer(address, GnomeShellFocusWatcher::BUS_NAME, [this](sd_bus* bus) {
              static const sd_bus_vtable vtable[] = {SD_BUS_VTABLE_START(0),
                                                     SD_BUS_METHOD("Current", "", "ss", &FakeGnomeExtension::OnCurrent, 0),
                                                     SD_BUS_SIGNAL("FocusChanged", "ss", 0), SD_BUS_VTABLE_END};
              sd_bus_slot* slot = nullptr;
              sd_bus_add_object_vtable(bus, &slot, GnomeShellFocusWatcher::OBJECT_PATH, GnomeShellFocusWatcher::INTERFACE, vtable,
                                       this);
              m_slot = slot;
          }) {
        m_peer.Keep(m_slot);
    }
    void Focus(const std::string& appId, const std::string& wmClass) {
        m_peer.Post([appId, wmClass](sd_bus* bus) {
            sd_bus_emit_signal(bus, GnomeShellFocusWatcher::OBJECT_PATH, GnomeShellFocusWatcher::INTERFACE, "FocusChanged", "ss",
                               appId.c_str(), wmClass.c_str());
        });
    }
    // The user switches the extension off.
    void Disable() {
        m_peer.Post([](sd_bus* bus) { sd_bus_release_name(bus, GnomeShellFocusWatcher::BUS_NAME); });
    }

private:
    static int OnCurrent(sd_bus_message* m, void*, sd_bus_error*) {
        return sd_bus_reply_method_return(m, "ss", "org.gimp.GIMP", "Gimp");
    }
    sd_bus_slot* m_slot = nullptr;
    FakeBusPeer m_peer;
};

// The shell itself, which says its version on the bus.
class FakeGnomeShell {
public:
    FakeGnomeShell(const std::string& address, std::string version)
        : m_version(std::move(version)), m_peer(address, "org.gnome.Shell", [this](sd_bus* bus) {
              static const sd_bus_vtable vtable[] = {
                  SD_BUS_VTABLE_START(0),
                  SD_BUS_PROPERTY("ShellVersion", "s", &FakeGnomeShell::OnVersion, 0, SD_BUS_VTABLE_PROPERTY_CONST), SD_BUS_VTABLE_END};
              sd_bus_slot* slot = nullptr;
              sd_bus_add_object_vtable(bus, &slot, "/org/gnome/Shell", "org.gnome.Shell", vtable, this);
              m_slot = slot;
          }) {
        m_peer.Keep(m_slot);
    }

private:
    static int OnVersion(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self, sd_bus_error*) {
        return sd_bus_message_append(reply, "s", static_cast<FakeGnomeShell*>(self)->m_version.c_str());
    }
    std::string m_version;
    sd_bus_slot* m_slot = nullptr;
    FakeBusPeer m_peer;
};

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

TEST(CompositorFocusWatcher, KWinRunsAScriptThatReportsEachActivatedWindowAndUnloadsIt) {
    const testsupport::DbusSessionServer bus;
    if (!bus.Running()) GTEST_SKIP() << "no dbus-daemon";
    const fs::path dir = Scratch("kwin");
    {
        KWinFocusWatcher alone(bus.Address(), dir.string());
        std::string error;
        EXPECT_FALSE(alone.Start(error));
        EXPECT_NE(error.find("KWin is not running"), std::string::npos) << error;
    }
    FakeKWin kwin(bus.Address());
    std::string pluginScript;
    {
        KWinFocusWatcher watcher(bus.Address(), dir.string());
        std::string error;
        ASSERT_TRUE(watcher.Start(error)) << error;
        EXPECT_TRUE(kwin.Started());
        EXPECT_NE(kwin.Script().find("workspace.windowActivated"), std::string::npos) << kwin.Script();
        EXPECT_EQ(watcher.Current(), std::nullopt);  // until the script has reported

        kwin.Activate("org.kde.krita", "krita", "krita");
        EXPECT_EQ(Next(watcher), (FocusedWindow{{"org.kde.krita", "krita"}, ""}));
        EXPECT_EQ(watcher.Current(), (FocusedWindow{{"org.kde.krita", "krita"}, ""}));

        // Only KWin's calls count: another program of the session cannot switch modes.
        FakeBusPeer other(bus.Address(), "", nullptr);
        const std::string script = kwin.Script();
        std::smatch service;
        ASSERT_TRUE(std::regex_search(script, service, std::regex("callDBus\\(\"([^\"]+)\"")));
        const std::string target = service[1].str();
        other.Post([target](sd_bus* b) {
            sd_bus_call_method_async(b, nullptr, target.c_str(), KWinFocusWatcher::OBJECT_PATH, KWinFocusWatcher::INTERFACE,
                                     "Activated", nullptr, nullptr, "sss", "evil", "evil", "evil");
        });
        kwin.Activate("", "gimp", "gimp-2.10");
        EXPECT_EQ(Next(watcher), (FocusedWindow{{"gimp", "gimp-2.10"}, ""}));
    }
    EXPECT_EQ(kwin.Unloaded(), "kelvadeck-focus-" + std::to_string(::getpid()));
    EXPECT_TRUE(fs::is_empty(dir));  // the script file went with the watcher
    fs::remove_all(dir);
}

TEST(CompositorFocusWatcher, GnomeShellFollowsTheExtensionAndSaysHowToSwitchItOn) {
    const testsupport::DbusSessionServer bus;
    if (!bus.Running()) GTEST_SKIP() << "no dbus-daemon";
    // Not running: the hint names the form of the extension that this shell
    // loads (ES modules from GNOME 45), or both when the shell does not say.
    struct Hint {
        const char* shellVersion;
        bool namesOld;
        bool names45;
    };
    for (const Hint& h : {Hint{nullptr, true, true}, Hint{"44.3", true, false}, Hint{"46.2", false, true}}) {
        SCOPED_TRACE(h.shellVersion ? h.shellVersion : "no shell");
        std::optional<FakeGnomeShell> shell;
        if (h.shellVersion) shell.emplace(bus.Address(), h.shellVersion);
        GnomeShellFocusWatcher missing(bus.Address());
        std::string error;
        EXPECT_FALSE(missing.Start(error));
        EXPECT_EQ(error.find("gnome-extensions enable kelvadeck-focus@") != std::string::npos, h.namesOld) << error;
        EXPECT_EQ(error.find("gnome-extensions enable kelvadeck-focus-45@") != std::string::npos, h.names45) << error;
    }
    FakeGnomeExtension extension(bus.Address());
    GnomeShellFocusWatcher watcher(bus.Address());
    std::string error;
    ASSERT_TRUE(watcher.Start(error)) << error;
    EXPECT_EQ(watcher.Current(), (FocusedWindow{{"org.gimp.GIMP", "Gimp"}, ""}));
    extension.Focus("org.inkscape.Inkscape", "Inkscape");
    EXPECT_EQ(Next(watcher), (FocusedWindow{{"org.inkscape.Inkscape", "Inkscape"}, ""}));
    extension.Focus("", "");
    EXPECT_EQ(Next(watcher), FocusedWindow{});
    // Switched off: the watcher says the desktop stopped telling.
    extension.Disable();
    pollfd p{watcher.Fd(), POLLIN, 0};
    bool ok = true;
    for (int i = 0; i < 20 && ok; ++i) {
        if (::poll(&p, 1, 100) > 0) watcher.Dispatch(ok);
    }
    EXPECT_FALSE(ok);
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
