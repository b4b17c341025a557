#include "emulator/EmulatedKelvadeck.h"

#include <utility>

namespace kelvadeck {

EmulatedKelvadeck::EmulatedKelvadeck(EmulatorKnobs knobs)
    : m_knobs(std::move(knobs)),
      m_firmware(m_flash, m_liveState, m_counters),
      m_busyLeft(m_knobs.busyAnswersBeforeReal) {}

bool EmulatedKelvadeck::BusyApplies(uint8_t command) const {
    return m_knobs.busyForCommands.empty() || m_knobs.busyForCommands.contains(command);
}

EmulatedKelvadeck::ExchangeResult EmulatedKelvadeck::Exchange(uint64_t connection, const Report& request) {
    std::lock_guard lock(m_mutex);
    ExchangeResult result;
    if (!m_plugged || connection != m_connection) return result;
    if (m_knobs.unplugAfterExchanges && !m_unplugDone && m_exchangeNumber >= *m_knobs.unplugAfterExchanges) {
        m_unplugDone = true;
        m_plugged = false;
        return result;
    }
    result.delivered = true;

    const uint8_t command = request[0];
    const uint64_t number = ++m_exchangeNumber;
    ++m_counters.exchanges;
    ++m_counters.exchangesByCommand[command];
    m_counters.bytesIn += HidDevice::REPORT_SIZE;
    m_counters.simulatedMicros += m_knobs.exchangeMicros;

    Report answer{};
    if (m_busyLeft > 0 && BusyApplies(command)) {
        // Not carried out: the host is expected to send the same request again.
        --m_busyLeft;
        ++m_counters.busyAnswers;
        answer[0] = m_knobs.busyCode;
    } else {
        answer = m_firmware.Answer(request, m_knobs);
        if (BusyApplies(command)) m_busyLeft = m_knobs.busyAnswersBeforeReal;
    }

    if (m_knobs.dropAnswerOfExchanges.contains(number) || m_knobs.dropAnswersForCommands.contains(command)) {
        ++m_counters.answersDropped;
        return result;
    }
    m_counters.bytesOut += HidDevice::REPORT_SIZE;
    result.answer = answer;
    return result;
}

bool EmulatedKelvadeck::IgnoreWrite(uint64_t connection) {
    std::lock_guard lock(m_mutex);
    if (!m_plugged || connection != m_connection) return false;
    ++m_counters.ignoredWrites;
    return true;
}

void EmulatedKelvadeck::Unplug() {
    std::lock_guard lock(m_mutex);
    m_plugged = false;
}

void EmulatedKelvadeck::Plug() {
    std::lock_guard lock(m_mutex);
    if (m_plugged) return;
    m_plugged = true;
    ++m_connection;
    // A power cycle: the firmware starts over without a pending busy spell.
    m_busyLeft = m_knobs.busyAnswersBeforeReal;
}

bool EmulatedKelvadeck::IsPlugged() const {
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

std::optional<uint64_t> EmulatedKelvadeck::Connection() const {
    std::lock_guard lock(m_mutex);
    if (!m_plugged) return std::nullopt;
    return m_connection;
}

bool EmulatedKelvadeck::IsConnected(uint64_t connection) const {
    std::lock_guard lock(m_mutex);
    return m_plugged && connection == m_connection;
}

EmulatorKnobs EmulatedKelvadeck::Knobs() const {
    std::lock_guard lock(m_mutex);
    return m_knobs;
}

void EmulatedKelvadeck::SetKnobs(const EmulatorKnobs& knobs) {
    std::lock_guard lock(m_mutex);
    m_knobs = knobs;
    m_busyLeft = m_knobs.busyAnswersBeforeReal;
    m_unplugDone = false;
}

EmulatorCounters EmulatedKelvadeck::Counters() const {
    std::lock_guard lock(m_mutex);
    return m_counters;
}

void EmulatedKelvadeck::ResetCounters() {
    std::lock_guard lock(m_mutex);
    m_clockBaseMicros += m_counters.simulatedMicros + m_counters.hostWaitMicros;
    m_counters = EmulatorCounters{};
}

void EmulatedKelvadeck::HostWaited(uint64_t micros) {
    std::lock_guard lock(m_mutex);
    m_counters.hostWaitMicros += micros;
}

int64_t EmulatedKelvadeck::ClockMicros() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int64_t>(m_clockBaseMicros + m_counters.simulatedMicros + m_counters.hostWaitMicros);
}

uint64_t EmulatedKelvadeck::ExchangeNumber() const {
    std::lock_guard lock(m_mutex);
    return m_exchangeNumber;
}

bool EmulatedKelvadeck::LoadImage(const std::string& path, std::string& error) {
    std::lock_guard lock(m_mutex);
    return m_flash.LoadImage(path, error);
}

bool EmulatedKelvadeck::SaveImage(const std::string& path, std::string& error) const {
    std::lock_guard lock(m_mutex);
    return m_flash.SaveImage(path, error);
}

std::vector<uint8_t> EmulatedKelvadeck::FlashImage() const {
    std::lock_guard lock(m_mutex);
    return {m_flash.Bytes().begin(), m_flash.Bytes().end()};
}

uint64_t EmulatedKelvadeck::FlashChanges() const {
    std::lock_guard lock(m_mutex);
    return m_flash.Changes();
}

}  // namespace kelvadeck
