#pragma once

namespace kelvadeck {

struct CliOptions;

// `follow-focus`: the Kelvadeck's mode follows the focused application (the
// rules of `app-mode`, read again when the file changes) until the program
// gets SIGINT or SIGTERM. Each switch is one device-wide settings report; the
// flash is not written. A device that goes away is looked for again.
class FollowFocus {
public:
    static int Run(const CliOptions& options);
};

}  // namespace kelvadeck
