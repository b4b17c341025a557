#pragma once

#include <string>

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

    // Name of the udev rule file shipped in packaging/ and installed by the package.
    static constexpr const char* UDEV_RULE_FILE = "60-kelvadeck.rules";

    static std::string Describe(const std::string& path, Node node, const std::string& hidapiReason);
    // Looks at the path on this system (Linux: stat and access on the hidraw node).
    static Node Probe(const std::string& path);
};

}  // namespace kelvadeck
