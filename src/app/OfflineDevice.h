#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/FileLock.h"
#include "emulator/EmulatedKelvadeck.h"

namespace kelvadeck {

class EmulatorBackend;
class HidBackend;

// A flash image file (a backup, or the emulator's own image) edited on the
// built-in emulated Kelvadeck: every screen works on it as on a device, and
// Save writes the emulated flash back to the file. The file stays locked
// (FileLock) while it is open here, so that kelvadeck-cli and other windows
// leave it alone. Knows whether the flash has changed since it was loaded or
// last saved.
class OfflineDevice {
public:
    // Loads path into a new emulated Kelvadeck. A missing file gives an
    // erased flash (and an erased image file) only with createMissing (the
    // --emulator=FILE start); otherwise, and for a file that is no flash
    // image or that another program holds, none with error.
    static std::unique_ptr<OfflineDevice> Open(const std::string& path, bool createMissing, std::string& error);
    // An emulated Kelvadeck with an erased flash and no file.
    static std::unique_ptr<OfflineDevice> Blank();
    ~OfflineDevice();
    OfflineDevice(const OfflineDevice&) = delete;
    OfflineDevice& operator=(const OfflineDevice&) = delete;

    // This device's file loaded afresh into a new device, which takes the
    // file over (this one keeps its flash, without a file). None with error,
    // and nothing taken over, when the file is no flash image any more.
    std::unique_ptr<OfflineDevice> Reopen(std::string& error);
    // path leads to this device's file.
    bool Holds(const std::string& path) const;

    std::shared_ptr<HidBackend> Backend() const;
    EmulatedKelvadeck& Device() { return m_device; }
    // The file; empty for a blank device that was never saved.
    const std::string& Path() const { return m_path; }

    // Writes the flash to Path() (which must be set).
    [[nodiscard]] bool Save(std::string& error);
    // Writes the flash to path, which becomes Path().
    [[nodiscard]] bool SaveAs(const std::string& path, std::string& error);
    // The flash has changed since it was loaded or saved.
    bool IsModified() const;

private:
    OfflineDevice();
    bool Load(std::string& error);

    EmulatedKelvadeck m_device;
    std::shared_ptr<EmulatorBackend> m_backend;
    FileLock m_file;
    std::string m_path;
    uint64_t m_savedChanges = 0;
};

}  // namespace kelvadeck
