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

bool DeviceSession::Open() {
    if (m_options.UseEmulator()) {
        m_emulator = std::make_unique<EmulatedKelvadeck>();
        if (!m_options.emulatorFile.empty()) {
            std::string error;
            if (!LockImage() || !m_emulator->LoadImage(m_image.Path(), error)) {
                if (m_error.empty()) m_error = "cannot use " + m_options.emulatorFile + " as the emulator's flash: " + error;
                m_exitCode = EXIT_FAILED;
                m_image.Release();
                return false;
            }
            m_loadedChanges = m_emulator->FlashChanges();
        }
        if (!m_options.emulatorFaults.empty()) {
            EmulatorKnobs knobs = m_emulator->Knobs();
            std::string error;
            if (!EmulatorFaultList::Apply(m_options.emulatorFaults, knobs, error)) {
                m_error = error;
                m_exitCode = EXIT_FAILED;
                return false;
            }
            m_emulator->SetKnobs(knobs);
        }
        m_backend = std::make_shared<EmulatorBackend>(*m_emulator);
    } else {
#ifdef KELVADECK_HAVE_HIDAPI
        m_backend = std::make_shared<HidapiBackend>();
#else
        m_error = "this build has no USB support; use --emulator";
        m_exitCode = EXIT_NO_DEVICE;
        return false;
#endif
    }
    std::shared_ptr<HidBackend> backend = m_backend;
    if (m_options.trace) {
        m_trace = std::make_shared<TracingHidBackend>(m_backend, std::cerr);
        backend = m_trace;
    }
    DataManager::Options dmOptions;
    dmOptions.hidBackend = backend;
    dmOptions.language = m_options.language;
    dmOptions.resourceDir = m_options.resourceDir;
    m_log = std::make_unique<SystemLog>(m_options.verbose, m_options.debug);
    dmOptions.logger = m_log->MakeLogger();
    m_dm = std::make_unique<DataManager>(std::move(dmOptions));

    USBHidManager& hid = Hid();
    hid.DeviceDetected();
    if (!hid.bConnected()) {
        m_error = hid.LastOpenError().empty()
                      ? "no Kelvadeck found (USB 22EA:004B); check that it is plugged in"
                      : "cannot open the Kelvadeck: " + hid.LastOpenError();
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
    if (m_emulator && m_image.Held() && m_emulator->FlashChanges() != m_loadedChanges) {
        std::string error;
        if (!m_image.Replace(m_emulator->FlashImage(), error)) {
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
