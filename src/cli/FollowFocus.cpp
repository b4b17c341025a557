#include "cli/FollowFocus.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <string>

#include "base/UniqueFd.h"
#include "cli/CliMessages.h"
#include "cli/CliOptions.h"
#include "cli/CliProgram.h"
#include "cli/DeviceSession.h"
#include "cli/TerminalText.h"
#include "core/AppModeRulesFile.h"
#include "core/DataManager.h"
#include "core/ModeFollower.h"
#include "device/USBHidManager.h"
#ifdef KELVADECK_HAVE_FOCUS
#include "focus/FocusWatchers.h"
#endif

namespace kelvadeck {

#ifdef KELVADECK_HAVE_FOCUS
namespace {

// SIGINT and SIGTERM end the loop: they are turned into bytes on a pipe the
// loop waits on. The old handlers come back with the object.
class StopSignals {
public:
    StopSignals() {
        int fds[2] = {-1, -1};
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
        m_read.Reset(fds[0]);
        s_write = fds[1];
        struct sigaction action {};
        action.sa_handler = [](int) {
            const char byte = 1;
            [[maybe_unused]] const ssize_t n = ::write(s_write, &byte, 1);
        };
        ::sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &m_oldInt);
        ::sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~StopSignals() {
        ::sigaction(SIGINT, &m_oldInt, nullptr);
        ::sigaction(SIGTERM, &m_oldTerm, nullptr);
        if (s_write >= 0) ::close(s_write);
        s_write = -1;
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    int Fd() const { return m_read.Get(); }

private:
    static inline int s_write = -1;
    UniqueFd m_read;
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

std::string Names(const std::vector<std::string>& names) { return names.empty() ? "(no window)" : names.front(); }

}  // namespace

int FollowFocus::Run(const CliOptions& options) {
    DeviceSession session(options);
    if (!session.Open()) {
        // Run as a service, it starts before the device is plugged in or
        // while another program has it: it waits for it.
        if (!session.Attached() || session.ExitCode() != CliProgram::EXIT_NO_DEVICE) {
            CliMessages::Fail(session.Error());
            return session.ExitCode();
        }
        std::cerr << "kelvadeck-cli: waiting for the Kelvadeck: " << TerminalText::Escape(session.Error()) << std::endl;
    }
    std::string why;
    std::unique_ptr<FocusWatcher> watcher = FocusWatchers::StartFirst(why);
    if (!watcher) {
        CliMessages::Fail("cannot follow the focus on this desktop: " + why);
        return CliProgram::EXIT_FAILED;
    }
    AppModeRulesFile file;
    AppModeRules rules;
    std::string error;
    file.Refresh(rules, error);
    if (!error.empty()) CliMessages::Fail(error + " (no rules used)");
    ModeFollower follower(session.Dm());
    follower.SetRules(rules);
    const StopSignals stop;
    std::cerr << "kelvadeck-cli: following the focus on " << watcher->Name() << " with " << TerminalText::Escape(file.Path())
              << " (Ctrl+C to stop)" << std::endl;
    const auto follow = [&](const FocusedWindow& window) {
        if (const auto mode = follower.FocusChanged(window.names)) {
            session.RunJob();
            std::cout << "mode " << *mode << " for " << TerminalText::Escape(Names(window.names)) << std::endl;
        }
    };
    if (const auto current = watcher->Current()) follow(*current);

    for (;;) {
        pollfd fds[2] = {{watcher->Fd(), POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, 1000);
        if (ready < 0 && errno != EINTR) break;
        if (fds[1].revents != 0) break;
        error.clear();
        if (file.Refresh(rules, error)) {
            follower.SetRules(rules);
            if (follower.Reapply()) session.RunJob();
        }
        if (!error.empty()) CliMessages::Fail(error + " (the rules in use stay)");
        USBHidManager& hid = session.Hid();
        if (!hid.bConnected()) {
            // Gone: look for it again; once read, its mode follows the focus again.
            if (session.Redetect() && follower.Reapply()) session.RunJob();
        }
        if (fds[0].revents == 0) continue;
        bool ok = true;
        const std::optional<FocusedWindow> focused = watcher->Dispatch(ok);
        if (!ok) {
            CliMessages::Fail("the desktop stopped telling which window has the focus");
            return CliProgram::EXIT_FAILED;
        }
        if (focused) follow(*focused);
    }
    return session.Close() ? CliProgram::EXIT_OK : session.ExitCode();
}
#else
int FollowFocus::Run(const CliOptions&) {
    CliMessages::Fail("this build cannot follow the focus (built without it)");
    return CliProgram::EXIT_FAILED;
}
#endif

}  // namespace kelvadeck
