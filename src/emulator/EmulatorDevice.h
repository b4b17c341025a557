#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

#include "device/HidDevice.h"
#include "emulator/EmulatedKelvadeck.h"

namespace kelvadeck {

// One opened interface of an EmulatedKelvadeck. A write hands the request to
// the device at once and keeps its answer until a read takes it; nothing
// sleeps. Only the vendor interface answers; reports written to the others are
// accepted and go unanswered. Once the device is unplugged this handle is gone
// for good, even after the device is plugged in again.
// The device must outlive the handle.
class EmulatorDevice : public HidDevice {
public:
    // Answers that nobody reads are kept up to this many, oldest dropped
    // first, as the host's HID driver does.
    static constexpr size_t PENDING_LIMIT = 64;

    EmulatorDevice(EmulatedKelvadeck& device, uint64_t connection, bool answersReports);

    [[nodiscard]] bool Write(const Report& report) override;
    // Without waiting for real, a read that finds no answer costs its whole
    // timeout on the emulated clock.
    ReadResult Read(int timeoutMs) override;
    int64_t NowMicros() const override { return m_device.ClockMicros(); }

    size_t PendingAnswers() const;

private:
    EmulatedKelvadeck& m_device;
    const uint64_t m_connection;
    const bool m_answersReports;
    mutable std::mutex m_mutex;
    std::condition_variable m_answerArrived;
    std::deque<Report> m_pending;
};

}  // namespace kelvadeck
