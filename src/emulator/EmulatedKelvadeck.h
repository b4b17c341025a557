#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/HidDevice.h"
#include "emulator/EmulatedFirmware.h"
#include "emulator/EmulatedFlash.h"
#include "emulator/EmulatedLiveState.h"
#include "emulator/EmulatorCounters.h"
#include "emulator/EmulatorKnobs.h"

namespace kelvadeck {

// One virtual Kelvadeck: its flash, firmware and live state, whether it is
// plugged in, and the USB link between it and the host, where the knobs inject
// lost answers, busy answers and an unplug. EmulatorBackend lists and opens it;
// each opened EmulatorDevice passes its requests to Exchange.
//
// Exchange, Unplug, Plug and the Knobs/Counters accessors lock, so a reader
// thread and the thread that writes may share one device. Flash() and
// LiveState() hand out the parts themselves: use them while no exchange runs.
class EmulatedKelvadeck {
public:
    using Report = HidDevice::Report;

    // What became of one output report.
    struct ExchangeResult {
        bool delivered = false;       // false: the device is gone, the write failed
        std::optional<Report> answer; // none: the answer is lost
    };

    explicit EmulatedKelvadeck(EmulatorKnobs knobs = {});
    EmulatedKelvadeck(const EmulatedKelvadeck&) = delete;
    EmulatedKelvadeck& operator=(const EmulatedKelvadeck&) = delete;

    // One request on the vendor interface of the connection the caller opened.
    ExchangeResult Exchange(uint64_t connection, const Report& request);
    // A report written to an interface that does not answer.
    [[nodiscard]] bool IgnoreWrite(uint64_t connection);

    // Plugging: each plug-in starts a new connection; handles opened on an
    // earlier one stay gone, as an unplugged HID handle does.
    void Unplug();
    void Plug();
    bool IsPlugged() const;
    // The current connection, or none while unplugged.
    std::optional<uint64_t> Connection() const;
    bool IsConnected(uint64_t connection) const;

    EmulatorKnobs Knobs() const;
    // Replaces the knobs and re-arms the one-shot ones (busy count, unplug).
    void SetKnobs(const EmulatorKnobs& knobs);

    EmulatorCounters Counters() const;
    void ResetCounters();
    // The host waited this long for an answer that did not come.
    void HostWaited(uint64_t micros);
    // The emulated link's clock: simulated device time plus the host's
    // simulated waits since creation. Monotonic; ResetCounters leaves it.
    int64_t ClockMicros() const;
    // Exchanges since creation: the numbering of dropAnswerOfExchanges and
    // unplugAfterExchanges (ResetCounters does not restart it).
    uint64_t ExchangeNumber() const;

    EmulatedFlash& Flash() { return m_flash; }
    const EmulatedFlash& Flash() const { return m_flash; }
    EmulatedLiveState& LiveState() { return m_liveState; }
    const EmulatedLiveState& LiveState() const { return m_liveState; }

    // The flash image file of `--emulator=FILE`: see EmulatedFlash.
    [[nodiscard]] bool LoadImage(const std::string& path, std::string& error);
    [[nodiscard]] bool SaveImage(const std::string& path, std::string& error) const;
    // A copy of the whole flash, and EmulatedFlash::Changes, taken while no
    // exchange runs.
    std::vector<uint8_t> FlashImage() const;
    uint64_t FlashChanges() const;

private:
    bool BusyApplies(uint8_t command) const;

    mutable std::mutex m_mutex;
    EmulatorKnobs m_knobs;
    EmulatorCounters m_counters;
    EmulatedFlash m_flash;
    EmulatedLiveState m_liveState;
    EmulatedFirmware m_firmware;
    bool m_plugged = true;
    uint64_t m_connection = 1;
    uint64_t m_exchangeNumber = 0;
    // Time counted before the counters were last reset.
    uint64_t m_clockBaseMicros = 0;
    uint32_t m_busyLeft = 0;
    bool m_unplugDone = false;
};

}  // namespace kelvadeck
