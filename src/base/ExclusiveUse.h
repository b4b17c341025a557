#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

#include "base/UniqueFd.h"

namespace kelvadeck {

// Keeps other Kelvadeck programs off a device while this one talks to it.
//
// A hidraw node can be opened by any number of programs at once, and two
// programs sending requests to one Kelvadeck would each read the other's
// answers. So every program takes an exclusive advisory lock (flock) on the
// node before it uses it and keeps it while the device is open; the kernel
// drops it when the program ends, however it ends. Who holds a lock is read
// from /proc/locks, so the second program can name the first.
class ExclusiveUse {
public:
    // The holder of a lock that could not be taken.
    struct Holder {
        pid_t pid = 0;         // 0 when it cannot be told
        std::string program;  // its command name, when it can be told
    };

    ExclusiveUse() = default;
    ExclusiveUse(ExclusiveUse&&) = default;
    ExclusiveUse& operator=(ExclusiveUse&&) = default;

    // Locks path for this object's life. False only when another program
    // holds it (holder says who, as far as it can be told). A path that cannot
    // be opened (not a node, no permission: the device's own open says why)
    // or a file system without locks leaves nothing held and returns true.
    bool Take(const std::string& path, Holder& holder);
    bool Held() const { return m_fd.Valid(); }

    // "kelvadeck-cli (process 1234)", or "another program" when unknown.
    static std::string Describe(const Holder& holder);
    // Who holds the flock of the file fd has open, from the text of /proc/locks.
    static std::optional<Holder> FindHolder(int fd, const std::string& procLocks);

private:
    UniqueFd m_fd;
};

}  // namespace kelvadeck
