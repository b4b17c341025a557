#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvadeck {

// The key code table as data: 256 rows, one per USB keyboard
// usage ID (HID page 0x07), each giving per layout (JIS, US) the macOS virtual
// key code that produces the usage and the name shown to the user.
class KeyCodeTable {
public:
    struct Entry {
        uint8_t macCodeJIS;        // NO_MAC_KEY when no Mac key produces the usage
        std::string_view nameJIS;  // UTF-8, at most NAME_MAX_BYTES bytes
        uint8_t macCodeUS;
        std::string_view nameUS;
    };

    static constexpr std::size_t ENTRY_NUM = 256;
    // The device-side field is 32 bytes, NUL-terminated.
    static constexpr std::size_t NAME_MAX_BYTES = 31;
    static constexpr uint8_t NO_MAC_KEY = 0xFF;
    static constexpr std::string_view NAME_NO_EVENT = "NO_EVENT";    // empty entry
    static constexpr std::string_view NAME_NO_ASSIGN = "NO_ASSIGN";  // usage without a Mac key

    static const std::array<Entry, ENTRY_NUM>& Entries();
    static const Entry& At(uint8_t usage) { return Entries()[usage]; }
    static uint8_t MacCode(uint8_t usage, bool jis) { return jis ? At(usage).macCodeJIS : At(usage).macCodeUS; }
    static std::string_view Name(uint8_t usage, bool jis) { return jis ? At(usage).nameJIS : At(usage).nameUS; }
};

}  // namespace kelvadeck
