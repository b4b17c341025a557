// Arbitrary input reports, timeouts and read errors fed to the report protocol
// while a job of every step kind runs: no report may make it write outside
// the step's part of a buffer, and the job must still end after a bounded
// number of further timeouts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "device/HidBackend.h"
#include "device/USBHidManager.h"

using namespace kelvadeck;
using F = FlashControl;

namespace {

// A device that takes every report and answers none: the input comes from the fuzzer.
class SilentDevice : public HidDevice {
public:
    bool Write(const Report&) override { return true; }
    ReadResult Read(int) override { return {}; }
};

class SilentBackend : public HidBackend {
public:
    std::vector<HidInterfaceInfo> Enumerate(uint16_t vid, uint16_t pid) override {
        HidInterfaceInfo i;
        i.path = "fuzz";
        i.vendorId = vid;
        i.productId = pid;
        i.usagePage = 0xFF00;
        i.usage = 1;
        return {i};
    }
    std::unique_ptr<HidDevice> Open(const std::string&) override { return std::make_unique<SilentDevice>(); }
};

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One manager for all inputs: building it is the slow part.
    static DataManager dm([] {
        DataManager::Options options;
        options.hidBackend = std::make_shared<SilentBackend>();
        return options;
    }());
    USBHidManager& hid = dm.pUSBHID();

    // The boot job (version, settings, directory), then one of each other kind.
    hid.DeviceDetected();
    if (!hid.bConnected()) return 0;
    ComQue& que = dm.pComQue();
    dm.g_arSCE.assign(200, ScriptElem{});
    dm.g_arSCE[3].dwSaveAddress = 0x50000 + 100;
    dm.g_arSCE[3].dwSaveSize = 50;
    que.SetReadScriptDataComQue(5);
    que.CreateWriteSectorComQue(7);
    que.SetDeleteComQue(9);
    que.SetLedPreview(1, 2, 3, 0);
    que.SetAllReadSectorComQue();
    hid.StartCom();

    size_t at = 0;
    while (at < size && hid.IsJobRunning()) {
        const uint8_t op = data[at++];
        if (op % 8 == 0) {
            hid.AnswerTimedOut();
        } else if (op == 0xFF && at >= size / 2) {
            hid.DeviceGone();
        } else {
            const size_t len = at < size ? data[at++] % 65 : 0;
            const size_t n = len < size - at ? len : size - at;
            hid.PacketReceived(data + at, n);
            at += n;
        }
    }
    // With no more answers every job ends within its bounded resends.
    for (int i = 0; i < 100000 && hid.IsJobRunning(); ++i) hid.AnswerTimedOut();
    Check(!hid.IsJobRunning());
    Check(dm.bDataUpdate());
    dm.SetDataUpdate(false);
    // A sector no step reads into stays erased.
    const uint8_t* untouched = dm.SectorBuffer(3);
    for (size_t i = 0; i < F::FM_SECTOR_SIZE; ++i) Check(untouched[i] == 0xFF);
    return 0;
}
