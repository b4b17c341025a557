#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kelvadeck::testsupport {

// A server process that tells on a pipe when it is ready (Xvfb -displayfd,
// dbus-daemon --print-address): started with the pipe's write end in place
// of "{fd}" in its arguments; its pid and the first line it wrote, or none
// (and no process left) when it wrote none within ten seconds.
struct ReportingChild {
    pid_t pid = -1;
    std::string line;

    static std::optional<ReportingChild> Start(const std::vector<std::string>& argv);
    // Ends a started child (SIGTERM) and waits for it.
    static void Stop(pid_t pid);
};

}  // namespace kelvadeck::testsupport
