#include "cli/DeviceSession.h"

#include <iostream>

#include "app/DataManager.h"
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
            if (!m_emulator->LoadImage(m_options.emulatorFile, error)) {
                m_error = "cannot use " + m_options.emulatorFile + " as the emulator's flash: " + error;
                m_exitCode = EXIT_FAILED;
                return false;
            }
            m_emulatorLoaded = true;
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
    // failure: that is what a real device would hold.
    if (m_emulator && m_emulatorLoaded) {
        std::string error;
        if (!m_emulator->SaveImage(m_options.emulatorFile, error)) {
            if (m_error.empty()) m_error = "cannot save the emulator's flash to " + m_options.emulatorFile + ": " + error;
            if (m_exitCode == EXIT_OK) m_exitCode = EXIT_FAILED;
            ok = false;
        }
    }
    if (m_trace) std::cerr << "exchanges: " << m_trace->Exchanges() << "\n";
    return ok;
}

}  // namespace kelvadeck
