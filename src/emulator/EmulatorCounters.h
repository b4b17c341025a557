#pragma once

#include <array>
#include <cstdint>

namespace kelvadeck {

// What the emulated Kelvadeck has seen and done, for assertions and for
// estimating how long a job takes on the real device.
struct EmulatorCounters {
    // Output reports taken by the vendor interface (one request = one exchange,
    // whatever became of its answer), in total and by command code (byte 0).
    uint64_t exchanges = 0;
    std::array<uint64_t, 256> exchangesByCommand{};
    // Report bytes over the wire: 64 per request received, 64 per answer sent.
    uint64_t bytesIn = 0;
    uint64_t bytesOut = 0;
    // Flash work actually done.
    uint64_t flashBytesRead = 0;
    uint64_t flashBytesProgrammed = 0;
    uint64_t sectorsErased = 0;
    uint64_t pagesProgrammed = 0;
    // Fault outcomes.
    uint64_t answersDropped = 0;
    uint64_t busyAnswers = 0;
    uint64_t errorAnswers = 0;
    // Reports written to interfaces that do not answer (keyboard and the like).
    uint64_t ignoredWrites = 0;
    // Simulated time the device spent, from the latency model.
    uint64_t simulatedMicros = 0;
    // Simulated time the host spent waiting: reads that found no answer (a
    // lost one, or a pause before a request is sent again) count their whole
    // timeout. Only while reads do not wait for real.
    uint64_t hostWaitMicros = 0;

    uint64_t ExchangesFor(uint8_t command) const { return exchangesByCommand[command]; }
    double SimulatedMilliseconds() const { return static_cast<double>(simulatedMicros) / 1000.0; }
    // What a job took end to end: the device's time and the host's waits.
    double ElapsedMilliseconds() const { return static_cast<double>(simulatedMicros + hostWaitMicros) / 1000.0; }
};

}  // namespace kelvadeck
