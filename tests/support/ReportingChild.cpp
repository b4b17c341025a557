#include "support/ReportingChild.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvadeck::testsupport {

std::optional<ReportingChild> ReportingChild::Start(const std::vector<std::string>& argv) {
    int fds[2];
    if (argv.empty() || ::pipe(fds) != 0) return std::nullopt;
    std::vector<std::string> args = argv;
    for (std::string& a : args) {
        if (const size_t at = a.find("{fd}"); at != std::string::npos) a.replace(at, 4, std::to_string(fds[1]));
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::vector<char*> raw;
        for (std::string& a : args) raw.push_back(a.data());
        raw.push_back(nullptr);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        return std::nullopt;
    }
    std::string text;
    pollfd p{fds[0], POLLIN, 0};
    while (text.find('\n') == std::string::npos && ::poll(&p, 1, 10000) > 0) {
        char buffer[256];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    if (text.find('\n') == std::string::npos) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return std::nullopt;
    }
    return ReportingChild{pid, text.substr(0, text.find('\n'))};
}

void ReportingChild::Stop(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

}  // namespace kelvadeck::testsupport
