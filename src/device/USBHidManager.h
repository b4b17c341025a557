#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/Logger.h"
#include "device/ComResult.h"
#include "device/HidBackend.h"
#include "device/HidDevice.h"

namespace kelvadeck {

class ComQue;
class DeviceDataStore;
class ProgressReceiver;

// The HID transport and the report protocol: finds the Kelvadeck among the
// host's HID interfaces, follows its arrival and removal, and works through
// the command queue one report pair at a time.
//
// It never blocks: whoever owns the device's input (the CLI's synchronous
// pump, the GUI's reader) waits at most CurrentDeadlineMs() for an input
// report and then calls PacketReceived, AnswerTimedOut or DeviceGone.
//
// Two ways a request goes without a usable answer. No answer at all within the
// deadline: it is sent again at most RetryPolicy::maxResends times, then its
// step fails. An answer asking for it again (the device is busy, say
// programming a page): the device decides how long that lasts, so the request
// is sent again after a short pause that doubles up to a cap, for as long as
// the request's time allows (CurrentDeadlineMs() is then the pause). Several
// failed steps in a row, or a device that goes away, abort the job. Every job
// ends exactly once: bHidStatus goes to 2, the data manager's bDataUpdate is
// raised and LastResult() tells how it went.
class USBHidManager {
public:
    static constexpr uint16_t VENDOR_ID = 0x22EA;
    static constexpr uint16_t PRODUCT_ID = 0x004B;
    static constexpr uint16_t USAGE_PAGE_VENDOR = 0xFF00;

    static constexpr uint8_t HID_STATUS_IDLE = 0;
    static constexpr uint8_t HID_STATUS_RUNNING = 1;
    static constexpr uint8_t HID_STATUS_ENDED = 2;

    // Round trips take about 2 ms and a 64 KiB erase up to about 2 s.
    struct RetryPolicy {
        int answerTimeoutMs = 500;    // for the answer to one request
        int eraseTimeoutMs = 5000;    // for the answer to an erase
        int maxResends = 2;           // per request that gets no answer at all
        // Busy answers: how long one request may keep the device busy before
        // its step fails, and the pauses before it is sent again.
        int busyBudgetMs = 2000;
        int eraseBusyBudgetMs = 5000;
        int firstBusyPauseMs = 1;
        int maxBusyPauseMs = 50;
        int maxFailedStepsInRow = 3;  // then the job is aborted
        int maxIgnoredAnswers = 8;    // answers to other requests tolerated per request
    };

    USBHidManager(DeviceDataStore& dm, ComQue& que, std::shared_ptr<HidBackend> backend, Logger logger = {});
    ~USBHidManager();
    USBHidManager(const USBHidManager&) = delete;
    USBHidManager& operator=(const USBHidManager&) = delete;

    void SetRetryPolicy(const RetryPolicy& policy) { m_policy = policy; }
    const RetryPolicy& Policy() const { return m_policy; }

    // Looks for the device (first interface on the vendor usage page, in
    // enumeration order), opens it and starts the boot job; Searching otherwise.
    // With several Kelvadecks attached it takes the chosen one (SetDeviceChoice)
    // and none when none was chosen, so that nothing is written to a device
    // the user did not mean: LastOpenError() then lists them.
    void DeviceDetected();
    // The Kelvadeck to take: its interface's path or its serial number.
    // Empty: the only one attached.
    void SetDeviceChoice(std::string pathOrSerial) { m_choice = std::move(pathOrSerial); }
    // The vendor interface of each Kelvadeck among the host's interfaces, in
    // enumeration order. Interfaces are one device's when they share its
    // serial number, unless they have the same interface number.
    static std::vector<HidBackend::HidInterfaceInfo> Kelvadecks(const std::vector<HidBackend::HidInterfaceInfo>& interfaces);
    void DeviceRemoved();
    void RegistDetect();
    // True while no device is selected: the caller should poll DeviceDetected.
    bool CheckUSBDetectPorling() const { return m_device == nullptr; }
    // An integer property of the selected interface ("VendorID", "ProductID",
    // "DeviceUsagePage", "DeviceUsage", "PrimaryUsagePage", "PrimaryUsage");
    // 0 without a selection or for an unknown key.
    int32_t GetIntProperty(const std::string& key) const;
    // Arrival and removal by enumeration, for callers without hot-plug events.
    void PollDevices();

    void SetRefSettingVC(ProgressReceiver* receiver) { m_pProgress = receiver; }
    void SetUSBDetectUpdate(bool value) { m_bUSBStatusUpdate = value; }

    // Report protocol
    bool StartCom();
    bool CreateOutBuf();
    // One input report (normally 64 bytes; shorter ones read as zero-padded).
    void PacketReceived(const uint8_t* report, size_t size);
    void PacketReceived(const HidDevice::Report& report) { PacketReceived(report.data(), report.size()); }
    // The pump's read waited CurrentDeadlineMs() without an input report.
    void AnswerTimedOut();
    // The pump's read failed: the device is gone.
    void DeviceGone();
    // How long to wait for the next input report of the running job (while
    // pausing before a busy request is sent again: the rest of the pause).
    int CurrentDeadlineMs() const;
    // Jobs ended since creation: tells a screen whether LastResult() is new to it.
    uint64_t JobsEnded() const { return m_nJobsEnded; }

    bool bConnected() const { return m_bConnected; }
    bool bUSBStatusUpdate() const { return m_bUSBStatusUpdate; }
    uint8_t bHidStatus() const { return m_bHidStatus; }
    bool IsJobRunning() const { return m_bHidStatus == HID_STATUS_RUNNING; }

    // The job now running (or the last one) and the last job that ended.
    const ComResult& CurrentResult() const { return m_result; }
    const ComResult& LastResult() const { return m_lastResult; }

    HidDevice* Device() { return m_device.get(); }
    const std::optional<HidBackend::HidInterfaceInfo>& SelectedInterface() const { return m_selected; }
    // Why the device could not be opened by the last search (empty otherwise).
    const std::string& LastOpenError() const { return m_lastOpenError; }
    // The device is there but another program is using it (LastOpenError
    // names it); look again now and then.
    bool DeviceHeldElsewhere() const { return m_heldElsewhere; }
    const HidDevice::Report& OutBuf() const { return m_outBuf; }

private:
    bool Send();
    bool DrainInput();
    void BeginRequest();
    void ResendNow();
    void RetryWhenUnanswered();
    void RetryWhenBusy();
    void GiveUpRequest(const std::string& why);
    int64_t Now() const;
    void Advance();
    void SendNext();
    bool NoteStepOutcome(bool done);
    void AbortJob(ComResult::AbortReason reason);
    void EndJob();
    void HandleGone();
    // Searching again; the line at `level` (a device that was there, or a search that found none).
    void MarkRemoved(Logger::Level level);
    void Log(const std::string& line) const { m_logger.Write(line); }
    void Log(Logger::Level level, const std::string& line) const { m_logger.Write(level, line); }
    int Outstanding() const { return m_nSends > m_nAnswers ? m_nSends - m_nAnswers : 0; }

    DeviceDataStore& m_dm;
    ComQue& m_que;
    std::shared_ptr<HidBackend> m_backend;
    Logger m_logger;
    RetryPolicy m_policy;

    bool m_bConnected = false;
    bool m_bUSBStatusUpdate = false;
    uint8_t m_bHidStatus = HID_STATUS_IDLE;
    std::optional<HidBackend::HidInterfaceInfo> m_selected;
    std::unique_ptr<HidDevice> m_device;
    std::string m_lastOpenError;
    bool m_heldElsewhere = false;
    std::string m_lastOpenFailureLogged;
    std::string m_choice;
    ProgressReceiver* m_pProgress = nullptr;

    HidDevice::Report m_outBuf{};
    // The request in flight: how often it was sent, how many answers it got
    // (busy ones included) and how many answers to other requests came in.
    int m_nSends = 0;
    int m_nAnswers = 0;
    int m_nIgnored = 0;
    int m_nTimeouts = 0;
    // When the request was first sent, on the device's clock; while the
    // device is busy: the next pause and whether one is running now.
    int64_t m_requestStartMicros = 0;
    int m_busyPauseMs = 0;
    bool m_bPausing = false;
    int64_t m_pauseEndMicros = 0;
    // After a request that was sent more than once, wait for its extra
    // answers before the next request, so none is taken for the next chunk.
    bool m_bSettling = false;
    int m_nFailedInRow = 0;

    ComResult m_result;
    ComResult m_lastResult;
    uint64_t m_nJobsEnded = 0;
};

}  // namespace kelvadeck
