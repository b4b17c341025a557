#include "cli/DeviceSession.h"

#include <chrono>
#include <iostream>
#include <thread>
#include <vector>

#include "core/DataManager.h"
#include "cli/CliOptions.h"
#include "cli/TracingHidBackend.h"
#include "core/SystemLog.h"
#include "device/ComQue.h"
#include "device/CompositeHidBackend.h"
#include "device/SyncComRunner.h"
#include "device/USBHidManager.h"
#include "emulator/EmulatedKelvadeck.h"
#include "emulator/EmulatorBackend.h"
#include "emulator/EmulatorFaultList.h"
#ifdef KELVADECK_HAVE_HIDAPI
#include "hid/HidapiBackend.h"
#endif

namespace kelvadeck {

namespace {

// How long a command waits for an image another program holds.
constexpr std::chrono::seconds kImageWait{10};
constexpr std::chrono::milliseconds kImagePoll{50};

}  // namespace

DeviceSession::DeviceSession(const CliOptions& options) : m_options(options) {}

DeviceSession::~DeviceSession() {
    if (!m_closed) Close();
}

USBHidManager& DeviceSession::Hid() { return m_dm->pUSBHID(); }

bool DeviceSession::Open() { return Attach() && Connect(m_options.device); }

bool DeviceSession::Attach() {
    m_log = std::make_unique<SystemLog>(m_options.verbose, m_options.debug);
    if (m_options.UseEmulator()) {
        if (!AttachEmulators()) return false;
    } else {
#ifdef KELVADECK_HAVE_HIDAPI
        m_backend = std::make_shared<HidapiBackend>();
#else
        m_error = "this build has no USB support; use --emulator";
        m_exitCode = EXIT_NO_DEVICE;
        return false;
#endif
    }
    if (m_options.trace) {
        m_trace = std::make_shared<TracingHidBackend>(m_backend, std::cerr);
        m_backend = m_trace;
    }
    return true;
}

// The first emulated Kelvadeck has the image file's flash; the others, if
// asked for, start erased and tell themselves apart by serial number.
bool DeviceSession::AttachEmulators() {
    std::vector<std::shared_ptr<HidBackend>> backends;
    for (int n = 1; n <= m_options.emulatorDevices; ++n) {
        EmulatorKnobs knobs;
        knobs.serialNumber = "KD-EMU-000" + std::to_string(n);
        std::string error;
        if (!m_options.emulatorFaults.empty() && !EmulatorFaultList::Apply(m_options.emulatorFaults, knobs, error)) {
            m_error = error;
            m_exitCode = EXIT_FAILED;
            return false;
        }
        auto device = std::make_unique<EmulatedKelvadeck>(knobs);
        if (n == 1 && !m_options.emulatorFile.empty()) {
            if (!LockImage() || !device->LoadImage(m_image.Path(), error)) {
                if (m_error.empty()) m_error = "cannot use " + m_options.emulatorFile + " as the emulator's flash: " + error;
                m_exitCode = EXIT_FAILED;
                m_image.Release();
                return false;
            }
            m_loadedChanges = device->FlashChanges();
        }
        backends.push_back(std::make_shared<EmulatorBackend>(*device, n == 1 ? "kelvadeck" : "kelvadeck" + std::to_string(n)));
        m_emulators.push_back(std::move(device));
    }
    m_backend = backends.size() == 1 ? backends.front() : std::make_shared<CompositeHidBackend>(std::move(backends));
    return true;
}

bool DeviceSession::Connect(const std::string& choice) {
    DataManager::Options dmOptions;
    dmOptions.hidBackend = m_backend;
    dmOptions.language = m_options.language;
    dmOptions.resourceDir = m_options.resourceDir;
    dmOptions.logger = m_log->MakeLogger();
    m_dm = std::make_unique<DataManager>(std::move(dmOptions));

    USBHidManager& hid = Hid();
    hid.SetDeviceChoice(choice);
    hid.DeviceDetected();
    if (!hid.bConnected()) {
        m_error = hid.LastOpenError().empty() ? "no Kelvadeck found (USB 22EA:004B); check that it is plugged in"
                                              : hid.LastOpenError();
        m_exitCode = EXIT_NO_DEVICE;
        return false;
    }
    const ComResult boot = RunJob();
    if (!boot.Succeeded()) {
        m_error = "reading the Kelvadeck failed: " + boot.Describe();
        m_exitCode = boot.eReason == ComResult::AbortReason::DeviceGone ? EXIT_NO_DEVICE : EXIT_FAILED;
        return false;
    }
    m_dm->DataInitializeFromMemory();
    return true;
}

std::vector<DeviceSession::Listing> DeviceSession::List() {
    std::vector<Listing> out;
    for (const HidBackend::HidInterfaceInfo& device :
         USBHidManager::Kelvadecks(m_backend->Enumerate(USBHidManager::VENDOR_ID, USBHidManager::PRODUCT_ID))) {
        Listing l;
        l.path = device.path;
        l.serialNumber = device.serialNumber;
        if (Connect(device.path)) {
            l.firmwareVersion = m_dm->g_pSSI.strFirmwareVer.value_or("");
        } else {
            l.error = m_error;
        }
        m_dm.reset();
        m_error.clear();
        m_exitCode = EXIT_OK;
        out.push_back(std::move(l));
    }
    return out;
}

// Commands on one image run one after the other rather than side by side,
// where each would save its own edit over the other's. A command takes well
// under a second, so a second command waits for the first instead of failing:
// scripts may start several at once. A program that keeps the image longer
// (the desktop application holds it while it runs) makes the command give up
// after a while with a message, rather than hang.
bool DeviceSession::LockImage() {
    const std::string& path = m_options.emulatorFile;
    const std::vector<uint8_t> erased(EmulatedFlash::SIZE, EmulatedFlash::ERASED);  // a missing image: a new device
    const auto deadline = std::chrono::steady_clock::now() + kImageWait;
    for (;;) {
        std::string error;
        switch (m_image.TryLockOrCreate(path, erased, error)) {
            case FileLock::Outcome::Locked:
            case FileLock::Outcome::Created:
                return true;
            case FileLock::Outcome::Failed:
                m_error = "cannot use " + path + " as the emulator's flash: " + error;
                return false;
            case FileLock::Outcome::Busy:
                break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            m_error = path + " is in use by another Kelvadeck program; try again when it has finished";
            return false;
        }
        std::this_thread::sleep_for(kImagePoll);
    }
}

ComResult DeviceSession::RunJob() {
    const ComResult r = SyncComRunner(Hid()).Run();
    m_dm->SetDataUpdate(false);
    // A write the device stored without applying it at once went through;
    // the user still hears of it.
    if (r.Succeeded() && !r.Warning().empty()) std::cerr << "kelvadeck-cli: warning: " << r.Warning() << "\n";
    return r;
}

bool DeviceSession::Redetect() {
    USBHidManager& hid = Hid();
    hid.DeviceDetected();
    if (!hid.bConnected() || !RunJob().Succeeded()) return false;
    m_dm->DataInitializeFromMemory();
    return true;
}

ComResult DeviceSession::StartAndRun() {
    if (!Hid().StartCom()) {
        if (!Hid().IsJobRunning() && Hid().CurrentResult().bAborted) {
            m_dm->SetDataUpdate(false);
            return Hid().LastResult();
        }
        m_dm->pComQue().Reset();
        ComResult r;
        r.bAborted = true;
        r.eReason = Hid().bConnected() ? ComResult::AbortReason::Reset : ComResult::AbortReason::DeviceGone;
        return r;
    }
    return RunJob();
}

bool DeviceSession::Close() {
    if (m_closed) return m_error.empty();
    m_closed = true;
    bool ok = true;
    // The emulated device keeps what the command did to it, also after a
    // failure: that is what a real device would hold. An unchanged flash is
    // not written, so reading commands work on read-only media.
    if (!m_emulators.empty() && m_image.Held() && m_emulators.front()->FlashChanges() != m_loadedChanges) {
        std::string error;
        if (!m_image.Replace(m_emulators.front()->FlashImage(), error)) {
            if (m_error.empty()) m_error = "cannot save the emulator's flash to " + m_options.emulatorFile + ": " + error;
            if (m_exitCode == EXIT_OK) m_exitCode = EXIT_FAILED;
            ok = false;
        }
    }
    m_image.Release();
    if (m_trace) std::cerr << "exchanges: " << m_trace->Exchanges() << "\n";
    return ok;
}

}  // namespace kelvadeck
