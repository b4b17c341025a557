#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kelvadeck {

class Logger;
class UserDefaults;

// Translation between host key codes (macOS virtual key codes, the code of the
// physical key) and USB keyboard usage IDs, and the display name of a usage,
// for the US and the JIS keyboard layouts.
class KeyCode {
public:
    static constexpr long KEYBOARD_TYPE_US = 1;
    static constexpr long KEYBOARD_TYPE_JIS = 2;
    static constexpr const char* KEYBOARD_TYPE_USER_SETTING = "KEYBOARD_TYPE_USER_SETTING";

    // Reads the keyboard type from the user defaults (absent or 0 -> US).
    explicit KeyCode(const UserDefaults* defaults = nullptr, const Logger* logger = nullptr);

    void Reset() {}
    void SetKeyboardType(long type) { nsnKeyboardType = type; }
    long KeyboardType() const { return nsnKeyboardType; }
    bool IsJIS() const { return nsnKeyboardType == KEYBOARD_TYPE_JIS; }

    // 0xFF in gives 0xFF; a Mac code no key carries gives 0xFF.
    uint8_t ChangeKeyCodeMacToUsb(uint8_t macCode) const;
    // Display name of a usage on the current layout ("NO_EVENT" / "NO_ASSIGN" for none).
    std::string GetKeyCodeStringFromUsb(uint8_t usage) const;

    const std::array<uint8_t, 256>& parSortKeyCodeForInput_JIS() const { return m_parSortKeyCodeForInput_JIS; }
    const std::array<uint8_t, 256>& parSortKeyCodeForInput_US() const { return m_parSortKeyCodeForInput_US; }

private:
    std::array<uint8_t, 256> m_parSortKeyCodeForInput_JIS{};
    std::array<uint8_t, 256> m_parSortKeyCodeForInput_US{};
    long nsnKeyboardType = KEYBOARD_TYPE_US;
};

}  // namespace kelvadeck
