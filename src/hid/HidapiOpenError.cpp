#include "hid/HidapiOpenError.h"

#include <filesystem>
#include <system_error>

#if defined(__linux__)
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kelvadeck {

std::string HidapiOpenError::Describe(const std::string& path, Node node, const std::string& hidapiReason,
                                      const std::optional<std::string>& installedRule) {
    switch (node) {
        case Node::Missing:
            return "The Kelvadeck at " + path + " is no longer connected. Plug it in again.";
        case Node::NotAccessible: {
            // The rule tags the device for the user at the seat (systemd's
            // uaccess): a local desktop login gets it, a remote one does not.
            const std::string seat =
                "The rule gives the device to the user logged in at the computer's own seat (a desktop session "
                "there), not to remote sessions such as SSH.";
            if (installedRule) {
                return "No permission to open the Kelvadeck at " + path + ", although its udev rule is installed (" +
                       *installedRule + "). " + seat +
                       " At the seat, unplug the Kelvadeck and plug it in again; if the rule was installed only now, "
                       "first run\n  sudo udevadm control --reload-rules && sudo udevadm trigger";
            }
            std::string folders;
            for (const std::string& f : UdevRuleFolders()) folders += (folders.empty() ? "" : ", ") + f;
            return "No permission to open the Kelvadeck at " + path + ": its udev rule (" + UDEV_RULE_FILE +
                   ") is not installed in " + folders + ". " + seat +
                   " Install the kelvadeck package, which installs the rule, or put the rule shown in the README "
                   "(\"The udev rule\") into /etc/udev/rules.d/ and run\n"
                   "  sudo udevadm control --reload-rules && sudo udevadm trigger\n"
                   "then unplug the Kelvadeck and plug it in again.";
        }
        case Node::Accessible:
        case Node::Unknown:
            break;
    }
    const std::string reason = hidapiReason.empty() ? std::string("no reason given") : hidapiReason;
    return "Cannot open the Kelvadeck at " + path + ": " + reason;
}

std::vector<std::string> HidapiOpenError::UdevRuleFolders() {
    return {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d",
            "/usr/local/lib/udev/rules.d"};
}

std::optional<std::string> HidapiOpenError::FindInstalledRule(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        std::error_code ec;
        const std::filesystem::path rule = std::filesystem::path(folder) / UDEV_RULE_FILE;
        if (std::filesystem::is_regular_file(rule, ec)) return rule.string();
    }
    return std::nullopt;
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
