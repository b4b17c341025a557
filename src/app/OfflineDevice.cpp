#include "app/OfflineDevice.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "emulator/EmulatorBackend.h"

namespace kelvadeck {

namespace {

EmulatorKnobs OfflineKnobs() {
    EmulatorKnobs knobs;
    // The I/O thread blocks in its reads as it does on hardware.
    knobs.readsWaitForAnswer = true;
    return knobs;
}

std::string InUse(const std::string& path) {
    return "The file " + path + " is in use by another Kelvadeck program (kelvadeck or kelvadeck-cli)";
}

}  // namespace

OfflineDevice::OfflineDevice() : m_device(OfflineKnobs()), m_backend(std::make_shared<EmulatorBackend>(m_device)) {}

// The backend refers to the device: it goes first.
OfflineDevice::~OfflineDevice() { m_backend.reset(); }

std::unique_ptr<OfflineDevice> OfflineDevice::Blank() { return std::unique_ptr<OfflineDevice>(new OfflineDevice()); }

std::unique_ptr<OfflineDevice> OfflineDevice::Open(const std::string& path, bool createMissing, std::string& error) {
    std::error_code ec;
    if (!createMissing && !std::filesystem::exists(path, ec)) {
        error = "The file " + path + " does not exist";
        return nullptr;
    }
    auto offline = Blank();
    const std::vector<uint8_t> erased(EmulatedFlash::SIZE, EmulatedFlash::ERASED);
    const FileLock::Outcome got =
        createMissing ? offline->m_file.TryLockOrCreate(path, erased, error) : offline->m_file.TryLock(path, error);
    if (got == FileLock::Outcome::Busy || got == FileLock::Outcome::Failed) {
        error = got == FileLock::Outcome::Busy ? InUse(path) : "Cannot open " + path + ": " + error;
        return nullptr;
    }
    offline->m_path = path;
    if (!offline->Load(error)) return nullptr;
    return offline;
}

bool OfflineDevice::Load(std::string& error) {
    if (!m_device.LoadImage(m_file.Path(), error)) return false;
    m_savedChanges = m_device.FlashChanges();
    return true;
}

std::unique_ptr<OfflineDevice> OfflineDevice::Reopen(std::string& error) {
    auto offline = Blank();
    offline->m_path = m_path;
    offline->m_file = std::move(m_file);
    if (!offline->Load(error)) {
        m_file = std::move(offline->m_file);
        return nullptr;
    }
    m_path.clear();
    return offline;
}

bool OfflineDevice::Holds(const std::string& path) const {
    std::error_code ec;
    return m_file.Held() && std::filesystem::equivalent(path, m_file.Path(), ec);
}

std::shared_ptr<HidBackend> OfflineDevice::Backend() const { return m_backend; }

bool OfflineDevice::Save(std::string& error) {
    if (m_path.empty() || !m_file.Held()) {
        error = "The emulated Kelvadeck has no file to be saved to";
        return false;
    }
    // Taken before the flash is copied: a change made meanwhile counts as unsaved.
    const uint64_t changes = m_device.FlashChanges();
    if (!m_file.Replace(m_device.FlashImage(), error)) return false;
    m_savedChanges = changes;
    return true;
}

bool OfflineDevice::SaveAs(const std::string& path, std::string& error) {
    if (Holds(path)) return Save(error);
    const uint64_t changes = m_device.FlashChanges();
    const std::vector<uint8_t> image = m_device.FlashImage();
    FileLock file;
    switch (file.TryLockOrCreate(path, image, error)) {
        case FileLock::Outcome::Created:
            break;
        case FileLock::Outcome::Locked:
            if (!file.Replace(image, error)) return false;
            break;
        case FileLock::Outcome::Busy:
            error = InUse(path);
            return false;
        case FileLock::Outcome::Failed:
            return false;
    }
    m_file = std::move(file);
    m_path = path;
    m_savedChanges = changes;
    return true;
}

bool OfflineDevice::IsModified() const { return m_device.FlashChanges() != m_savedChanges; }

}  // namespace kelvadeck
