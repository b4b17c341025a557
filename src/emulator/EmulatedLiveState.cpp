#include "emulator/EmulatedLiveState.h"

#include <utility>

namespace kelvadeck {

void EmulatedLiveState::RecordPayload(PayloadReport report) {
    if (m_payloads.size() >= LOG_LIMIT) m_payloads.pop_front();
    m_payloads.push_back(std::move(report));
}

void EmulatedLiveState::RecordLedPreview(const LedPreview& preview) {
    if (m_ledPreviews.size() >= LOG_LIMIT) m_ledPreviews.pop_front();
    m_ledPreviews.push_back(preview);
}

void EmulatedLiveState::Clear() {
    m_payloads.clear();
    m_ledPreviews.clear();
}

std::vector<EmulatedLiveState::PayloadReport> EmulatedLiveState::PayloadsFor(uint8_t command) const {
    std::vector<PayloadReport> result;
    for (const PayloadReport& report : m_payloads) {
        if (report.command == command) result.push_back(report);
    }
    return result;
}

std::optional<EmulatedLiveState::LedPreview> EmulatedLiveState::CurrentLedPreview() const {
    if (m_ledPreviews.empty()) return std::nullopt;
    return m_ledPreviews.back();
}

}  // namespace kelvadeck
