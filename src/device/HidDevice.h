#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace kelvadeck {

// One opened HID interface of the Kelvadeck: 64-byte output reports without a
// report ID go out, 64-byte input reports come back. Closing happens in the
// destructor. Implementations: hidapi (src/hid) and the emulator.
class HidDevice {
public:
    static constexpr std::size_t REPORT_SIZE = 64;
    using Report = std::array<uint8_t, REPORT_SIZE>;

    enum class ReadStatus { Report, Timeout, Gone };
    struct ReadResult {
        ReadStatus status = ReadStatus::Timeout;
        Report report{};
    };

    virtual ~HidDevice() = default;
    // False when the report could not be handed to the device (it is gone).
    [[nodiscard]] virtual bool Write(const Report& report) = 0;
    // Waits at most timeoutMs for the next input report. Gone means a read
    // error: the device has been unplugged and the handle is useless.
    virtual ReadResult Read(int timeoutMs) = 0;
    // The time the device lives in, in microseconds from any fixed start:
    // the host's monotonic clock for hardware. The emulator, which never
    // waits for real, counts its simulated time instead, so that the time
    // bounds of a request hold there as on the device.
    virtual int64_t NowMicros() const {
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

}  // namespace kelvadeck
