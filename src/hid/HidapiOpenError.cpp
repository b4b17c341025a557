#include "hid/HidapiOpenError.h"

#if defined(__linux__)
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kelvadeck {

std::string HidapiOpenError::Describe(const std::string& path, Node node, const std::string& hidapiReason) {
    switch (node) {
        case Node::Missing:
            return "The Kelvadeck at " + path + " is no longer connected. Plug it in again.";
        case Node::NotAccessible:
            return std::string("No permission to open the Kelvadeck at ") + path +
                   ": the udev rule that lets users reach it is not installed. Install it with\n"
                   "  sudo cp packaging/" + UDEV_RULE_FILE + " /etc/udev/rules.d/\n"
                   "  sudo udevadm control --reload-rules && sudo udevadm trigger\n"
                   "then unplug the Kelvadeck and plug it in again. (The kelvadeck package installs "
                   "the rule itself.)";
        case Node::Accessible:
        case Node::Unknown:
            break;
    }
    const std::string reason = hidapiReason.empty() ? std::string("no reason given") : hidapiReason;
    return "Cannot open the Kelvadeck at " + path + ": " + reason;
}

HidapiOpenError::Node HidapiOpenError::Probe(const std::string& path) {
#if defined(__linux__)
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return errno == ENOENT ? Node::Missing : Node::Unknown;
    if (access(path.c_str(), R_OK | W_OK) != 0) {
        return (errno == EACCES || errno == EPERM) ? Node::NotAccessible : Node::Unknown;
    }
    return Node::Accessible;
#else
    static_cast<void>(path);
    return Node::Unknown;
#endif
}

}  // namespace kelvadeck
