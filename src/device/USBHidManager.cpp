#include "device/USBHidManager.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

#include "device/ComElem.h"
#include "device/ComQue.h"
#include "device/ProgressReceiver.h"
#include "model/Constants.h"
#include "model/FlashControl.h"

namespace kelvadeck {

namespace {

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...) {
    char buf[256];
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return n < 0 ? std::string() : std::string(buf, std::min<size_t>(static_cast<size_t>(n), sizeof buf - 1));
}

// Answers meaning "not now": the same request is sent again.
bool IsBusyCode(uint8_t code) {
    switch (code) {
        case 0x31: case 0x33: case 0x35: case 0x37: case 0x39: case 0x3B:
        case 0x61: case 0x62: case 0x63:
            return true;
        default:
            return false;
    }
}

// Bytes a payload command's answer accounts: its whole step.
int32_t PayloadSize(uint8_t code) {
    switch (code) {
        case ComElem::COM_CMD_SET_STANDARD_INFO: return Constants::COM_PACKET_SIZE_SET_STANDARD_INFO;
        case ComElem::COM_CMD_SET_PROFILE_STANDARD_INFO: return Constants::COM_PACKET_SIZE_SET_PROFILE_STANDARD_INFO;
        case ComElem::COM_CMD_SET_PROFILE_FUNC_INFO: return Constants::COM_PACKET_SIZE_SET_PROFILE_FUNC_INFO;
        case ComElem::COM_CMD_SET_DIAL_MACRO_INFO: return Constants::COM_PACKET_SIZE_SET_SET_DIAL_MACRO_INFO;
        case ComElem::COM_CMD_SET_SWITCH_FUNC_INFO: return Constants::COM_PACKET_SIZE_SET_SWITCH_FUNC_INFO;
        case ComElem::COM_CMD_SET_LED_PREV_INFO: return Constants::COM_PACKET_SIZE_SET_LED_PREV_INFO;
        default: return -1;
    }
}

// Steps that change the flash: what they did not do leaves a sector short.
bool ChangesFlash(uint8_t code) { return code == ComElem::COM_CMD_WRITE || code == ComElem::COM_CMD_DELETE; }

bool IsAnswerCode(uint8_t code) {
    return code == ComElem::COM_CMD_READ || code == ComElem::COM_CMD_WRITE || code == ComElem::COM_CMD_DELETE ||
           code == ComElem::COM_CMD_GET_VERSION || PayloadSize(code) > 0;
}

void PutAddress(HidDevice::Report& out, uint64_t addr) {
    out[1] = static_cast<uint8_t>(addr >> 24);
    out[2] = static_cast<uint8_t>(addr >> 16);
    out[3] = static_cast<uint8_t>(addr >> 8);
    out[4] = static_cast<uint8_t>(addr);
}

// "PATH (serial SERIAL), ..." for a message.
std::string DeviceList(const std::vector<HidBackend::HidInterfaceInfo>& devices) {
    std::string out;
    for (const HidBackend::HidInterfaceInfo& d : devices) {
        if (!out.empty()) out += ", ";
        out += d.path;
        if (!d.serialNumber.empty()) out += " (serial " + d.serialNumber + ")";
    }
    return out;
}

// Stale input is read away with a zero timeout; the bound only guards
// against a device that floods reports.
constexpr int kMaxDrain = 256;

}  // namespace

USBHidManager::USBHidManager(DeviceDataStore& dm, ComQue& que, std::shared_ptr<HidBackend> backend, Logger logger)
    : m_dm(dm), m_que(que), m_backend(std::move(backend)), m_logger(std::move(logger)) {}

USBHidManager::~USBHidManager() = default;

int32_t USBHidManager::GetIntProperty(const std::string& key) const {
    if (!m_selected) return 0;
    const HidBackend::HidInterfaceInfo& i = *m_selected;
    if (key == "VendorID") return i.vendorId;
    if (key == "ProductID") return i.productId;
    // The interface's top-level collection is its primary usage as well.
    if (key == "DeviceUsagePage" || key == "PrimaryUsagePage") return i.usagePage;
    if (key == "DeviceUsage" || key == "PrimaryUsage") return i.usage;
    return 0;
}

void USBHidManager::DeviceDetected() {
    // A search that finds nothing is routine while no device is plugged in
    // (the caller may look several times a second): only a found device is news.
    if (m_bHidStatus == HID_STATUS_RUNNING) AbortJob(ComResult::AbortReason::Reset);
    m_device.reset();
    m_selected.reset();
    m_lastOpenError.clear();
    m_heldElsewhere = false;

    std::vector<HidBackend::HidInterfaceInfo> devices;
    if (m_backend) devices = Kelvadecks(m_backend->Enumerate(VENDOR_ID, PRODUCT_ID));
    std::string openFailure;
    if (!m_choice.empty()) {
        const std::vector<HidBackend::HidInterfaceInfo> all = devices;
        std::erase_if(devices, [this](const HidBackend::HidInterfaceInfo& d) { return d.path != m_choice && d.serialNumber != m_choice; });
        if (devices.empty() && !all.empty()) {
            m_lastOpenError = "No attached Kelvadeck is " + m_choice + "; attached: " + DeviceList(all) + ".";
            openFailure = "USBHID : " + m_lastOpenError;
        }
    }
    if (devices.size() > 1) {
        m_lastOpenError = std::to_string(devices.size()) + " Kelvadecks are attached (" + DeviceList(devices) +
                          "); choose one by its path or serial number (--device).";
        openFailure = "USBHID : " + m_lastOpenError;
    } else if (devices.size() == 1) {
        m_selected = devices.front();
    }
    if (m_selected) {
        m_device = m_backend->Open(m_selected->path);
        if (!m_device) {
            m_lastOpenError = m_backend->LastError();
            m_heldElsewhere = m_backend->LastOpenHeldElsewhere();
            openFailure = "USBHID : cannot open " + m_selected->path + (m_lastOpenError.empty() ? "" : ": " + m_lastOpenError);
            m_selected.reset();
        }
    }
    Log(m_device ? Logger::Level::Info : Logger::Level::Debug, "USBHID : Device Detected!");
    if (!openFailure.empty()) {
        // The same failure again on every search is said once.
        Log(openFailure == m_lastOpenFailureLogged ? Logger::Level::Debug : Logger::Level::Warning, openFailure);
        m_lastOpenFailureLogged = openFailure;
    }
    if (!m_device) {
        DeviceRemoved();
        return;
    }
    m_lastOpenFailureLogged.clear();
    RegistDetect();
    m_dm.DeviceArrived();
    m_que.Reset();  // the data manager's reset does this too; a standalone queue needs it
    m_que.CreateBootComQue();
    StartCom();
}

std::vector<HidBackend::HidInterfaceInfo> USBHidManager::Kelvadecks(const std::vector<HidBackend::HidInterfaceInfo>& interfaces) {
    std::vector<HidBackend::HidInterfaceInfo> devices;
    for (const HidBackend::HidInterfaceInfo& info : interfaces) {
        // The interface's top-level collection: its usage page, or its
        // primary one when the usage is not known (the same here).
        if (info.usagePage != USAGE_PAGE_VENDOR) continue;
        const bool known = std::any_of(devices.begin(), devices.end(), [&info](const HidBackend::HidInterfaceInfo& d) {
            const bool twoInterfaces = d.interfaceNumber >= 0 && d.interfaceNumber == info.interfaceNumber;
            return d.serialNumber == info.serialNumber && !twoInterfaces;
        });
        if (!known) devices.push_back(info);
    }
    return devices;
}

void USBHidManager::DeviceRemoved() { MarkRemoved(m_bConnected ? Logger::Level::Info : Logger::Level::Debug); }

void USBHidManager::MarkRemoved(Logger::Level level) {
    Log(level, "USBHID : Device Removed!");
    // The next device may be another Kelvadeck: it must never get this one's sectors.
    m_dm.DeviceLeft();
    m_bConnected = false;
    m_bUSBStatusUpdate = true;
}

void USBHidManager::RegistDetect() {
    m_bConnected = true;
    m_bUSBStatusUpdate = true;
}

void USBHidManager::PollDevices() {
    if (!m_bConnected) {
        if (CheckUSBDetectPorling()) DeviceDetected();
        return;
    }
    if (!m_backend || !m_selected) return;
    const auto found = m_backend->Enumerate(VENDOR_ID, PRODUCT_ID);
    const bool present = std::any_of(found.begin(), found.end(),
                                     [&](const HidBackend::HidInterfaceInfo& i) { return i.path == m_selected->path; });
    if (!present) HandleGone();
}

bool USBHidManager::StartCom() {
    if (!m_bConnected || !m_device) {
        Log(Logger::Level::Warning, "USBHID : not connecte usb...");
        return false;
    }
    if (m_bHidStatus == HID_STATUS_RUNNING) {
        Log(Logger::Level::Debug, "USBHID : alredy start communication...");
        return true;
    }
    m_result = ComResult{};
    m_nFailedInRow = 0;
    // Answers still queued from an earlier job must not be taken for this one.
    m_nSends = m_nAnswers = 0;
    if (!DrainInput()) return false;
    // The job begins here: preparing its first report may already send an
    // erase, whose sector the write history must see as this job's.
    m_dm.JobStarted();
    if (!CreateOutBuf()) {
        if (m_result.nStepsDone > 0 || m_result.nStepsFailed > 0) {
            // Steps were queued but none needs a report (writes of erased
            // bytes only): the job is over already and ends as any other.
            Log("USBHID : Start communication.");
            m_bHidStatus = HID_STATUS_RUNNING;
            EndJob();
            return true;
        }
        Log(Logger::Level::Debug, "USBHID : no que data...");
        m_dm.JobEnded(false);
        return false;
    }
    Log("USBHID : Start communication.");
    m_bHidStatus = HID_STATUS_RUNNING;
    BeginRequest();
    return Send();
}

bool USBHidManager::CreateOutBuf() {
    for (;;) {
        if (!m_que.IsCurrentQue()) {
            if (!m_que.HasQue()) return false;
            if (!m_que.NextQue()) {
                Log(Logger::Level::Error, "ERROR : CreateOutBuf bad error !!");
                return false;
            }
            if (!m_que.IsCurrentQue()) continue;  // a step appended already finished
        }
        const ComElem& e = *m_que.pCurrentCI();
        m_outBuf.fill(0xFF);
        const uint8_t code = e.bSequenceCommandID;
        switch (code) {
            case ComElem::COM_CMD_READ: {
                uint64_t addr = 0;
                uint8_t size = 0;
                m_que.GetNextReadInfo(addr, size);
                m_outBuf[0] = code;
                PutAddress(m_outBuf, addr);
                m_outBuf[5] = size;
                Log(Logger::Level::Debug, Format("Read: 0x%lX[%X %X %X %X] : %d/%d", static_cast<unsigned long>(addr), m_outBuf[1], m_outBuf[2],
                           m_outBuf[3], m_outBuf[4], size, e.nSumSize));
                return true;
            }
            case ComElem::COM_CMD_WRITE: {
                if (e.bIOMode == ComElem::IO_MODE_BUFFER && e.nSumSize == 0) m_dm.WholeImageWriteSent();
                if (m_que.CurrentWriteIsOnUnerasedSector()) {
                    // The old bytes are still intact; writing would corrupt them.
                    Log(Logger::Level::Warning, "USBHID : sector not erased, its write skipped");
                    m_que.ErrorCurrentQue();
                    if (!NoteStepOutcome(false)) return false;
                    continue;
                }
                // Chunks that would only program 0xFF change nothing on NOR
                // flash: they count as written without a report.
                if (m_que.SkipErasedWriteData()) {
                    // The step ended on its erased tail; it may still have had a refused chunk.
                    const ComElem* done = m_que.pCurrentCI();
                    if (!NoteStepOutcome(done == nullptr || done->nStatus == ComElem::COM_STATUS_DONE)) return false;
                    continue;
                }
                uint64_t addr = 0;
                uint8_t size = 0;
                m_que.GetNextWriteInfo(addr, size, m_outBuf.data() + 6);
                m_outBuf[0] = code;
                PutAddress(m_outBuf, addr);
                m_outBuf[5] = size;
                return true;
            }
            case ComElem::COM_CMD_DELETE:
                // The sector's before-image is taken now, with the steps that
                // follow the erase known (also those appended to a running job).
                m_dm.EraseSent(e.nSectorNo);
                m_outBuf[0] = code;
                PutAddress(m_outBuf, e.dwFullAddr);
                Log(Logger::Level::Debug, Format("Delete: 0x%lX[%X %X %X %X]", static_cast<unsigned long>(e.dwFullAddr), m_outBuf[1], m_outBuf[2],
                           m_outBuf[3], m_outBuf[4]));
                return true;
            case ComElem::COM_CMD_GET_VERSION:
                m_outBuf[0] = code;
                return true;
            default:
                break;
        }
        if (PayloadSize(code) > 0) {
            m_outBuf[0] = code;
            const size_t n = std::min<size_t>(std::min<size_t>(static_cast<size_t>(std::max(e.nReqSize, 0)), e.arPayload.size()),
                                              HidDevice::REPORT_SIZE - 1);
            std::copy_n(e.arPayload.begin(), n, m_outBuf.begin() + 1);
            Log(Logger::Level::Debug, Format("Single: command = 0x%X, size = %d", code, e.nReqSize));
            return true;
        }
        // A step no report exists for: it fails, the job goes on.
        Log(Logger::Level::Error, "ERROR : CreateOutBuf unknown command !!");
        m_que.ErrorCurrentQue();
        ++m_result.nStepsFailed;
    }
}

void USBHidManager::PacketReceived(const uint8_t* report, size_t size) {
    if (m_bHidStatus != HID_STATUS_RUNNING) {
        Log(Logger::Level::Debug, "USBHID : input report outside a job ignored");
        return;
    }
    HidDevice::Report in{};
    if (report != nullptr) std::memcpy(in.data(), report, std::min(size, in.size()));
    if (report == nullptr) size = 0;

    if (m_bPausing) {
        // The busy answer came already: this one belongs to no request.
        Log(Logger::Level::Debug, "USBHID : input report while waiting to send again dropped");
        return;
    }

    if (m_bSettling) {
        // An extra answer to the request that was sent more than once.
        ++m_nAnswers;
        Log(Logger::Level::Debug, "USBHID : duplicate answer dropped");
        if (Outstanding() == 0) SendNext();
        return;
    }

    const uint8_t code = in[0];
    const uint8_t request = m_outBuf[0];
    if (size > 0 && IsAnswerCode(code) && code != request) {
        // Answers echo their request; this one belongs to an earlier request
        // (late, or a duplicate) and must not be accounted to this one.
        Log(Logger::Level::Debug, Format("USBHID : answer 0x%X while waiting for 0x%X ignored", code, request));
        if (++m_nIgnored > m_policy.maxIgnoredAnswers) RetryWhenBusy();
        return;
    }
    ++m_nAnswers;

    int32_t accounted = 0;
    bool repeat = false;
    if (size == 0) {
        repeat = true;  // nothing to act on
    } else if (code == ComElem::COM_CMD_READ) {
        const uint8_t n = in[1];
        const uint8_t requested = m_outBuf[5];
        if (n > requested) {
            // More bytes than asked for: the answer cannot be trusted.
            Log(Logger::Level::Warning, Format("ERROR : PacketReceived read answer of %d bytes for %d requested", n, requested));
            m_que.ErrorCurrentQue();
        } else if (n == 0) {
            repeat = true;
        } else {
            const ComElem* e = m_que.pCurrentCI();
            const size_t avail = std::min<size_t>(n, HidDevice::REPORT_SIZE - 2);
            m_que.StoreReadData(in.data() + 2, avail);
            if (e != nullptr && e->bIOMode == ComElem::IO_MODE_BUFFER && m_pProgress) m_pProgress->UpdateProgressBar();
            accounted = n;
        }
    } else if (code == ComElem::COM_CMD_WRITE) {
        if (m_pProgress) m_pProgress->UpdateProgressBar();
        if (in[1] == 0) {
            accounted = m_outBuf[5];
        } else {
            Log(Logger::Level::Warning, Format("ERROR : write of %d bytes refused [%d]", m_outBuf[5], in[1]));
            m_que.ErrorCurrentChunk(m_outBuf[5]);
        }
    } else if (code == ComElem::COM_CMD_DELETE) {
        if (in[1] == 0) {
            if (m_pProgress) m_pProgress->UpdateProgressBar();
            accounted = static_cast<int32_t>(FlashControl::FM_SECTOR_SIZE);
        } else {
            m_que.ErrorCurrentQue();
        }
    } else if (PayloadSize(code) > 0) {
        accounted = PayloadSize(code);
        if (in[1] != 0) {
            // Refused: the flash holds the setting (the job wrote it before),
            // the device only did not take it over live. The step counts as
            // done and the job goes on; the result carries a warning.
            Log(Logger::Level::Warning, Format("FAILE : USBCOM received bad anser [%d]!!", code));
            if (code == ComElem::COM_CMD_SET_LED_PREV_INFO) {
                ++m_result.nPreviewsRefused;
            } else {
                ++m_result.nLiveUpdatesRefused;
            }
        }
    } else if (code == ComElem::COM_CMD_GET_VERSION) {
        // Single-byte characters up to a 0 byte or the end of the report.
        std::string text;
        for (size_t i = 1; i < in.size() && in[i] != 0; ++i) text.push_back(static_cast<char>(in[i]));
        m_dm.AppendFirmwareVersion(text);
        accounted = ComElem::VERSION_REQ_SIZE;
    } else if (IsBusyCode(code)) {
        repeat = true;
    } else {
        Log(Logger::Level::Warning, "ERROR : PacketReceived unknown command !!");
        repeat = true;
    }

    if (repeat) {
        RetryWhenBusy();
        return;
    }
    if (accounted > 0) m_que.SetReceiveSize(accounted);
    const ComElem* cur = m_que.pCurrentCI();
    if (cur != nullptr && cur->IsFinished()) {
        if (!NoteStepOutcome(cur->nStatus == ComElem::COM_STATUS_DONE)) return;
    }
    Advance();
}

void USBHidManager::AnswerTimedOut() {
    if (m_bHidStatus != HID_STATUS_RUNNING) return;
    if (m_bSettling) {
        SendNext();  // no more answers to the old request are coming
        return;
    }
    if (m_bPausing) {
        ResendNow();  // the pause after a busy answer is over
        return;
    }
    ++m_result.dwTimeouts;
    Log(Logger::Level::Warning, Format("USBHID : no answer to 0x%X within %d ms", m_outBuf[0], CurrentDeadlineMs()));
    RetryWhenUnanswered();
}

void USBHidManager::DeviceGone() { HandleGone(); }

int USBHidManager::CurrentDeadlineMs() const {
    if (m_bPausing) {
        const int64_t left = m_pauseEndMicros - Now();
        return left <= 0 ? 0 : static_cast<int>((left + 999) / 1000);
    }
    return m_outBuf[0] == ComElem::COM_CMD_DELETE ? m_policy.eraseTimeoutMs : m_policy.answerTimeoutMs;
}

int64_t USBHidManager::Now() const { return m_device ? m_device->NowMicros() : 0; }

bool USBHidManager::Send() {
    if (!m_device) {
        HandleGone();
        return false;
    }
    ++m_nSends;
    ++m_result.dwExchanges;
    if (!m_device->Write(m_outBuf)) {
        Log(Logger::Level::Warning, "USBHID : write failed");
        HandleGone();
        return false;
    }
    return true;
}

bool USBHidManager::DrainInput() {
    if (!m_device) return false;
    int dropped = 0;
    for (int i = 0; i < kMaxDrain; ++i) {
        HidDevice::ReadResult r = m_device->Read(0);
        if (r.status == HidDevice::ReadStatus::Gone) {
            HandleGone();
            return false;
        }
        if (r.status != HidDevice::ReadStatus::Report) break;
        ++dropped;
        ++m_nAnswers;  // a late answer to something already sent
    }
    if (dropped > 0) Log(Logger::Level::Debug, Format("USBHID : %d stale input reports dropped", dropped));
    return true;
}

void USBHidManager::BeginRequest() {
    m_nSends = m_nAnswers = m_nIgnored = m_nTimeouts = 0;
    m_bSettling = false;
    m_bPausing = false;
    m_busyPauseMs = std::max(1, m_policy.firstBusyPauseMs);
    m_requestStartMicros = Now();
}

void USBHidManager::ResendNow() {
    m_bPausing = false;
    if (!DrainInput()) return;
    m_nIgnored = 0;
    ++m_result.dwResends;
    Log(Logger::Level::Debug, Format("USBHID : sending 0x%X again (attempt %d)", m_outBuf[0], m_nSends + 1));
    Send();
}

void USBHidManager::RetryWhenUnanswered() {
    if (++m_nTimeouts > m_policy.maxResends) {
        GiveUpRequest(Format("no answer to 0x%X after %d attempts", m_outBuf[0], m_nTimeouts));
        return;
    }
    ResendNow();
}

void USBHidManager::RetryWhenBusy() {
    ++m_result.dwBusyAnswers;
    const int budgetMs = m_outBuf[0] == ComElem::COM_CMD_DELETE ? m_policy.eraseBusyBudgetMs : m_policy.busyBudgetMs;
    const int64_t now = Now();
    const int64_t pause = int64_t{m_busyPauseMs} * 1000;
    if (now - m_requestStartMicros + pause > int64_t{budgetMs} * 1000) {
        GiveUpRequest(Format("device busy with 0x%X for %d ms", m_outBuf[0], budgetMs));
        return;
    }
    // The pump waits out the pause (CurrentDeadlineMs) and then calls
    // AnswerTimedOut, which sends the request again.
    m_bPausing = true;
    m_pauseEndMicros = now + pause;
    m_busyPauseMs = std::min(m_busyPauseMs * 2, std::max(1, m_policy.maxBusyPauseMs));
}

void USBHidManager::GiveUpRequest(const std::string& why) {
    Log(Logger::Level::Warning, "USBHID : " + why + ", step failed");
    m_bPausing = false;
    m_que.ErrorCurrentQue();
    if (!NoteStepOutcome(false)) return;
    Advance();
}

void USBHidManager::Advance() {
    if (Outstanding() > 0) {
        if (!DrainInput()) return;
        if (Outstanding() > 0) {
            m_bSettling = true;
            return;
        }
    }
    SendNext();
}

void USBHidManager::SendNext() {
    BeginRequest();
    if (CreateOutBuf()) {
        Send();
        return;
    }
    EndJob();
}

bool USBHidManager::NoteStepOutcome(bool done) {
    if (done) {
        ++m_result.nStepsDone;
        m_nFailedInRow = 0;
        return true;
    }
    ++m_result.nStepsFailed;
    if (const ComElem* e = m_que.pCurrentCI(); e != nullptr && ChangesFlash(e->bSequenceCommandID)) {
        m_result.arFailedSectors.insert(e->nSectorNo);
    }
    if (++m_nFailedInRow >= m_policy.maxFailedStepsInRow) {
        AbortJob(ComResult::AbortReason::TooManyFailures);
        return false;
    }
    return true;
}

void USBHidManager::AbortJob(ComResult::AbortReason reason) {
    if (m_bHidStatus != HID_STATUS_RUNNING) return;
    const int32_t skipped = static_cast<int32_t>(m_que.PendingCount()) + (m_que.IsCurrentQue() ? 1 : 0);
    Log(Logger::Level::Error, Format("USBHID : job aborted, %d steps not run", skipped));
    if (m_que.IsCurrentQue() && ChangesFlash(m_que.pCurrentCI()->bSequenceCommandID)) {
        m_result.arFailedSectors.insert(m_que.pCurrentCI()->nSectorNo);
    }
    for (const ComElem& e : m_que.arQue()) {
        if (ChangesFlash(e.bSequenceCommandID)) m_result.arFailedSectors.insert(e.nSectorNo);
    }
    m_que.Reset();
    m_result.nStepsSkipped += skipped;
    m_result.bAborted = true;
    m_result.eReason = reason;
    EndJob();
}

void USBHidManager::EndJob() {
    if (m_bHidStatus != HID_STATUS_RUNNING) return;
    Log("USBHID : End communication.");
    m_bHidStatus = HID_STATUS_ENDED;
    m_bSettling = false;
    m_bPausing = false;
    m_nSends = m_nAnswers = m_nIgnored = m_nTimeouts = 0;
    ++m_nJobsEnded;
    m_dm.SetDataUpdate(true);
    if (!m_bConnected && m_device) RegistDetect();
    m_pProgress = nullptr;
    m_lastResult = m_result;
    m_dm.JobEnded(m_lastResult.Succeeded());
}

void USBHidManager::HandleGone() {
    Log(Logger::Level::Warning, "USBHID : the device does not respond any more (read or write error)");
    // Close the handle first: it is useless now, and the next arrival opens a new one.
    m_device.reset();
    m_selected.reset();
    const bool wasConnected = m_bConnected;
    m_bConnected = false;
    if (m_bHidStatus == HID_STATUS_RUNNING) AbortJob(ComResult::AbortReason::DeviceGone);
    if (wasConnected) MarkRemoved(Logger::Level::Info);
    m_dm.DeviceLeft();
}

}  // namespace kelvadeck
