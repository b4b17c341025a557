#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvadeck {

// Explicit little-endian fields and length-prefixed UTF-16LE names over byte
// buffers; callers pass positions they have checked against the buffer size.
struct ByteIO {
    static uint32_t ReadLE32(const uint8_t* p) {
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
               static_cast<uint32_t>(p[3]) << 24;
    }
    static void WriteLE32(uint8_t* p, uint32_t v) {
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v >> 16);
        p[3] = static_cast<uint8_t>(v >> 24);
    }

    // A name stored as a byte count followed by UTF-16LE code units. A count at
    // or above `limit` (0xFF in erased flash) means no name. An odd count takes
    // the next byte as the high half of the last unit, so `data` must hold
    // `limit` bytes. The name is cut as a write of it would cut it (at most
    // (limit - 1) / 2 units, no pair split; see WriteName), so that writing
    // back what was read stores the same name.
    static std::optional<std::u16string> ReadName(uint8_t byteCount, const uint8_t* data, int limit) {
        if (byteCount >= limit) return std::nullopt;
        std::u16string name;
        for (int k = 0; 2 * k < byteCount; ++k) {
            name.push_back(static_cast<char16_t>(data[2 * k] | data[2 * k + 1] << 8));
        }
        name.resize(StoredUnits(name, static_cast<size_t>(limit - 1) / 2));
        return name;
    }

    // How many leading code units of name a field of maxUnits keeps: all
    // that fit, but never the first half of a surrogate pair without its
    // second (the character would turn into an unpaired surrogate).
    static size_t StoredUnits(std::u16string_view name, size_t maxUnits) {
        if (name.size() <= maxUnits) return name.size();
        const bool splitsPair = maxUnits > 0 && IsHighSurrogate(name[maxUnits - 1]) && IsLowSurrogate(name[maxUnits]);
        return splitsPair ? maxUnits - 1 : maxUnits;
    }

    // Writes the StoredUnits of name at data and returns the byte count to
    // store; longer names are cut so they never run past their field.
    static uint8_t WriteName(const std::u16string& name, uint8_t* data, size_t maxUnits) {
        const size_t units = StoredUnits(name, maxUnits);
        for (size_t k = 0; k < units; ++k) {
            data[2 * k] = static_cast<uint8_t>(name[k]);
            data[2 * k + 1] = static_cast<uint8_t>(name[k] >> 8);
        }
        return static_cast<uint8_t>(units * 2);
    }

private:
    static bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
    static bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
};

}  // namespace kelvadeck
