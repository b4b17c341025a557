#include "app/OfflineDevice.h"

#include <filesystem>
#include <system_error>

#include "emulator/EmulatorBackend.h"

namespace kelvadeck {

namespace {

EmulatorKnobs OfflineKnobs() {
    EmulatorKnobs knobs;
    // The I/O thread blocks in its reads as it does on hardware.
    knobs.readsWaitForAnswer = true;
    return knobs;
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
    if (!offline->m_device.LoadImage(path, error)) return nullptr;
    offline->m_path = path;
    offline->m_savedWork = offline->FlashWork();
    return offline;
}

std::shared_ptr<HidBackend> OfflineDevice::Backend() const { return m_backend; }

bool OfflineDevice::Save(std::string& error) {
    if (m_path.empty()) {
        error = "The emulated Kelvadeck has no file to be saved to";
        return false;
    }
    return SaveAs(m_path, error);
}

bool OfflineDevice::SaveAs(const std::string& path, std::string& error) {
    // Taken before the flash is copied: work done meanwhile counts as unsaved.
    const uint64_t work = FlashWork();
    if (!m_device.SaveImage(path, error)) return false;
    m_path = path;
    m_savedWork = work;
    return true;
}

bool OfflineDevice::IsModified() const { return FlashWork() != m_savedWork; }

uint64_t OfflineDevice::FlashWork() const {
    const EmulatorCounters c = m_device.Counters();
    return c.sectorsErased + c.pagesProgrammed;
}

}  // namespace kelvadeck
