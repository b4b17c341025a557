#include "emulator/EmulatedFlash.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace kelvadeck {

EmulatedFlash::EmulatedFlash() : m_bytes(SIZE, ERASED) {}

bool EmulatedFlash::EraseSector(uint32_t sector) {
    if (sector >= SECTOR_NUM) return false;
    const auto begin = m_bytes.begin() + static_cast<std::ptrdiff_t>(sector) * SECTOR_SIZE;
    std::fill(begin, begin + SECTOR_SIZE, ERASED);
    return true;
}

void EmulatedFlash::EraseAll() { std::fill(m_bytes.begin(), m_bytes.end(), ERASED); }

bool EmulatedFlash::Program(uint32_t address, std::span<const uint8_t> data) {
    if (address >= SIZE || data.size() > PAGE_SIZE) return false;
    const uint32_t pageStart = address - address % PAGE_SIZE;
    const uint32_t offset = address % PAGE_SIZE;
    for (size_t i = 0; i < data.size(); ++i) {
        m_bytes[pageStart + (offset + i) % PAGE_SIZE] &= data[i];
    }
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
    m_bytes = std::move(image);
    return true;
}

bool EmulatedFlash::SaveImage(const std::string& path, std::string& error) const {
    namespace fs = std::filesystem;
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "Cannot create " + temporary + " to save the flash image";
            return false;
        }
        out.write(reinterpret_cast<const char*>(m_bytes.data()), static_cast<std::streamsize>(m_bytes.size()));
        out.close();
        if (!out) {
            error = "Cannot write the flash image to " + temporary;
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        error = "Cannot replace " + path + " with the saved flash image: " + ec.message();
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace kelvadeck
