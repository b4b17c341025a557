#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelvadeck {

// Words for a failed open of the Kelvadeck's HID interface, with the fix the
// user can apply. Kept apart from hidapi so that the choice can be tested.
class HidapiOpenError {
public:
    // What the device node at the path looked like after the open failed.
    enum class Node {
        Missing,        // no such node: the device went away
        NotAccessible,  // the node exists but this user may not read and write it
        Accessible,     // present and accessible: hidapi's own reason applies
        Unknown,        // not a file path (other systems) or not checkable
    };

    // Name of the udev rule file the package installs.
    static constexpr const char* UDEV_RULE_FILE = "60-kelvadeck.rules";

    // installedRule: where the udev rule is on this system (none: nowhere),
    // which decides what a permission problem is said to be.
    static std::string Describe(const std::string& path, Node node, const std::string& hidapiReason,
                                const std::optional<std::string>& installedRule = std::nullopt);
    // Looks at the path on this system (Linux: stat and access on the hidraw node).
    static Node Probe(const std::string& path);
    // The folders udev reads rules from on Linux systems: the administrator's,
    // the run-time ones, the distribution's (both where /usr is merged and
    // where it is not) and the local ones.
    static std::vector<std::string> UdevRuleFolders();
    // The installed copy of the rule in the first of folders that holds one.
    static std::optional<std::string> FindInstalledRule(const std::vector<std::string>& folders = UdevRuleFolders());
};

}  // namespace kelvadeck
