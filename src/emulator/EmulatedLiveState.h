#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace kelvadeck {

// The device's working state outside the flash: the settings the host pushes
// with live-update reports (applied at once, not stored) and the colour the
// LED shows during a preview. The emulator keeps them as logs for inspection.
class EmulatedLiveState {
public:
    // One live-update report as received: its command code, the payload bytes
    // that follow the code (as many as that command carries) and the status
    // the device answered.
    struct PayloadReport {
        uint8_t command = 0;
        std::vector<uint8_t> payload;
        uint8_t status = 0;
    };

    // One accepted LED preview.
    struct LedPreview {
        uint8_t channels = 0;
        uint16_t timeMs = 0;
        uint8_t brightness = 0;
        uint8_t red = 0;
        uint8_t green = 0;
        uint8_t blue = 0;
    };

    // The logs keep the newest entries only, so that a long session of colour
    // dragging cannot grow them without bound.
    static constexpr size_t LOG_LIMIT = 100000;

    void RecordPayload(PayloadReport report);
    void RecordLedPreview(const LedPreview& preview);
    void Clear();

    const std::deque<PayloadReport>& Payloads() const { return m_payloads; }
    // The payload reports with one command code, oldest first.
    std::vector<PayloadReport> PayloadsFor(uint8_t command) const;
    const std::deque<LedPreview>& LedPreviews() const { return m_ledPreviews; }
    // What the LED shows now: the last accepted preview, if any.
    std::optional<LedPreview> CurrentLedPreview() const;

private:
    std::deque<PayloadReport> m_payloads;
    std::deque<LedPreview> m_ledPreviews;
};

}  // namespace kelvadeck
