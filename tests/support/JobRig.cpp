#include "support/JobRig.h"

#include <span>
#include <utility>

#include "device/SyncComRunner.h"
#include "device/USBHidManager.h"

namespace kelvadeck::testsupport {

JobRig::JobRig(const std::vector<uint8_t>& image, EmulatorKnobs knobs)
    : device(std::move(knobs)), backend(std::make_shared<EmulatorBackend>(device)) {
    if (image.size() == FlashControl::FM_TOTAL_SIZE) (void)device.Flash().Overwrite(0, std::span<const uint8_t>(image));
    DataManager::Options o;
    o.hidBackend = backend;
    dm = std::make_unique<DataManager>(std::move(o));
}

ComResult JobRig::Boot() {
    dm->pUSBHID().DeviceDetected();
    const ComResult r = Run();
    if (!dm->bDataInitialize()) dm->DataInitializeFromMemory();
    return r;
}

ComResult JobRig::Run() {
    USBHidManager& hid = dm->pUSBHID();
    if (!hid.IsJobRunning() && !hid.StartCom()) return hid.LastResult();
    const ComResult r = SyncComRunner(hid).Run();
    dm->SetDataUpdate(false);
    return r;
}

std::vector<uint8_t> JobRig::Flash() const {
    const auto bytes = device.Flash().Bytes();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace kelvadeck::testsupport
