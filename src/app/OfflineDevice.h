#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "emulator/EmulatedKelvadeck.h"

namespace kelvadeck {

class EmulatorBackend;
class HidBackend;

// A flash image file (a backup, or the emulator's own image) edited on the
// built-in emulated Kelvadeck: every screen works on it as on a device, and
// Save writes the emulated flash back to the file. Knows whether the flash
// has been erased or programmed since it was loaded or last saved.
class OfflineDevice {
public:
    // Loads path into a new emulated Kelvadeck. A missing file gives an
    // erased flash only with createMissing (the --emulator=FILE start);
    // otherwise, and for a file that is no flash image, none with error.
    static std::unique_ptr<OfflineDevice> Open(const std::string& path, bool createMissing, std::string& error);
    // An emulated Kelvadeck with an erased flash and no file.
    static std::unique_ptr<OfflineDevice> Blank();
    ~OfflineDevice();
    OfflineDevice(const OfflineDevice&) = delete;
    OfflineDevice& operator=(const OfflineDevice&) = delete;

    std::shared_ptr<HidBackend> Backend() const;
    EmulatedKelvadeck& Device() { return m_device; }
    // The file; empty for a blank device that was never saved.
    const std::string& Path() const { return m_path; }

    // Writes the flash to Path() (which must be set).
    [[nodiscard]] bool Save(std::string& error);
    // Writes the flash to path, which becomes Path().
    [[nodiscard]] bool SaveAs(const std::string& path, std::string& error);
    // The flash was erased or programmed since it was loaded or saved.
    bool IsModified() const;

private:
    OfflineDevice();
    uint64_t FlashWork() const;

    EmulatedKelvadeck m_device;
    std::shared_ptr<EmulatorBackend> m_backend;
    std::string m_path;
    uint64_t m_savedWork = 0;
};

}  // namespace kelvadeck
