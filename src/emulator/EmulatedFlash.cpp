#include "emulator/EmulatedFlash.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/AtomicFile.h"

namespace kelvadeck {

EmulatedFlash::EmulatedFlash() : m_bytes(SIZE, ERASED) {}

bool EmulatedFlash::EraseSector(uint32_t sector) {
    if (sector >= SECTOR_NUM) return false;
    const auto begin = m_bytes.begin() + static_cast<std::ptrdiff_t>(sector) * SECTOR_SIZE;
    const auto end = begin + SECTOR_SIZE;
    if (std::any_of(begin, end, [](uint8_t b) { return b != ERASED; })) ++m_changes;
    std::fill(begin, end, ERASED);
    return true;
}

void EmulatedFlash::EraseAll() {
    if (std::any_of(m_bytes.begin(), m_bytes.end(), [](uint8_t b) { return b != ERASED; })) ++m_changes;
    std::fill(m_bytes.begin(), m_bytes.end(), ERASED);
}

bool EmulatedFlash::Program(uint32_t address, std::span<const uint8_t> data) {
    if (address >= SIZE || data.size() > PAGE_SIZE) return false;
    const uint32_t pageStart = address - address % PAGE_SIZE;
    const uint32_t offset = address % PAGE_SIZE;
    bool changed = false;
    for (size_t i = 0; i < data.size(); ++i) {
        uint8_t& cell = m_bytes[pageStart + (offset + i) % PAGE_SIZE];
        changed = changed || (cell & data[i]) != cell;
        cell &= data[i];
    }
    if (changed) ++m_changes;
    return true;
}

size_t EmulatedFlash::Read(uint32_t address, std::span<uint8_t> out) const {
    if (address >= SIZE) return 0;
    const size_t count = std::min<size_t>(out.size(), SIZE - address);
    std::copy_n(m_bytes.begin() + address, count, out.begin());
    return count;
}

bool EmulatedFlash::Overwrite(uint32_t address, std::span<const uint8_t> data) {
    if (address > SIZE || data.size() > SIZE - address) return false;
    if (!std::equal(data.begin(), data.end(), m_bytes.begin() + address)) ++m_changes;
    std::copy(data.begin(), data.end(), m_bytes.begin() + address);
    return true;
}

bool EmulatedFlash::LoadImage(const std::string& path, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        EraseAll();
        return true;
    }
    if (ec) {
        error = "Cannot open flash image " + path + ": " + ec.message();
        return false;
    }
    if (!fs::is_regular_file(status)) {
        error = "Flash image " + path + " is not a regular file";
        return false;
    }
    const uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        error = "Cannot read the size of flash image " + path + ": " + ec.message();
        return false;
    }
    if (size != SIZE) {
        error = "Flash image " + path + " has " + std::to_string(size) + " bytes; a Kelvadeck image has exactly " +
                std::to_string(SIZE) + " bytes";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "Cannot open flash image " + path + " for reading";
        return false;
    }
    std::vector<uint8_t> image(SIZE);
    in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
    if (in.gcount() != static_cast<std::streamsize>(SIZE)) {
        error = "Flash image " + path + " could not be read completely";
        return false;
    }
    if (image != m_bytes) ++m_changes;
    m_bytes = std::move(image);
    return true;
}

bool EmulatedFlash::SaveImage(const std::string& path, std::string& error) const {
    return AtomicFile::Write(path, std::span<const uint8_t>(m_bytes), error);
}

}  // namespace kelvadeck
