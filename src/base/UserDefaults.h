#pragma once

#include <optional>
#include <string>

namespace kelvadeck {

// The user's own settings that live on the host, not on the device. The only
// one today is the keyboard layout ("KEYBOARD_TYPE_USER_SETTING").
class UserDefaults {
public:
    virtual ~UserDefaults() = default;
    virtual std::optional<long> GetInteger(const std::string& key) const = 0;
    // Returns false when the value could not be stored.
    [[nodiscard]] virtual bool SetInteger(const std::string& key, long value) = 0;
};

}  // namespace kelvadeck
