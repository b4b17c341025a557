#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/FlashControl.h"

namespace kelvadeck {

// The Kelvadeck's 2 MiB serial NOR flash. Erasing works on whole 64 KiB sectors
// and sets them to 0xFF; programming can only clear bits (new = old AND data)
// and stays inside one 256-byte page, wrapping to the page start the way the
// chip does. An image file holds the flash byte for byte, as a backup file does.
class EmulatedFlash {
public:
    static constexpr uint32_t SIZE = FlashControl::FM_TOTAL_SIZE;
    static constexpr uint32_t SECTOR_SIZE = FlashControl::FM_SECTOR_SIZE;
    static constexpr uint32_t SECTOR_NUM = FlashControl::FM_SECTOR_NUM;
    static constexpr uint32_t PAGE_SIZE = 256;
    static constexpr uint8_t ERASED = 0xFF;

    EmulatedFlash();  // erased

    // Sets sector (0..31) to 0xFF. False for a sector that does not exist.
    [[nodiscard]] bool EraseSector(uint32_t sector);
    void EraseAll();

    // Page program: byte i of data lands at the page of address, offset
    // (address + i) mod 256, ANDed into what is there. False (nothing changed)
    // when address is beyond the flash or data is longer than a page.
    [[nodiscard]] bool Program(uint32_t address, std::span<const uint8_t> data);

    // Copies up to out.size() bytes from address; returns how many exist there.
    size_t Read(uint32_t address, std::span<uint8_t> out) const;

    // Sets bytes directly, as a programmer at the factory would (fixtures and
    // tools; no NOR rules). False (nothing changed) when the range leaves the flash.
    [[nodiscard]] bool Overwrite(uint32_t address, std::span<const uint8_t> data);

    std::span<const uint8_t> Bytes() const { return m_bytes; }
    // How many erases, programs and overwrites have changed a byte so far
    // (loading an image counts too). Equal counts mean the same flash: an
    // image file needs writing back only when the count has moved.
    uint64_t Changes() const { return m_changes; }

    // Loads an image file. A missing file means a new, erased device (true).
    // A file of any size other than 2,097,152 bytes, or one that cannot be
    // read, is refused: false, error says why, flash unchanged.
    [[nodiscard]] bool LoadImage(const std::string& path, std::string& error);
    // Writes the image with AtomicFile: a failed save never destroys the
    // previous file. error holds the reason.
    [[nodiscard]] bool SaveImage(const std::string& path, std::string& error) const;

private:
    std::vector<uint8_t> m_bytes;
    uint64_t m_changes = 0;
};

}  // namespace kelvadeck
