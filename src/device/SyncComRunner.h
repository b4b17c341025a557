#pragma once

#include <cstdint>

#include "device/ComResult.h"

namespace kelvadeck {

class USBHidManager;

// Runs the transport's current job to its end on the calling thread: waits
// for each answer with the device's read timeout (the only place it blocks)
// and hands what came, or that nothing came, to the transport. For the CLI and
// the tests; the GUI reads on its own thread instead.
class SyncComRunner {
public:
    explicit SyncComRunner(USBHidManager& hid) : m_hid(hid) {}

    // Returns when no job runs any more (at once if none was running) with
    // the result of the job that ended.
    ComResult Run();
    // One pass of Run: a read and its delivery. False when no job runs (any
    // more); tests that stage faults between passes drive jobs with it.
    bool Step();

    // Reads done by the last Run (reports, timeouts and errors alike).
    uint64_t Reads() const { return m_reads; }

private:
    USBHidManager& m_hid;
    uint64_t m_reads = 0;
};

}  // namespace kelvadeck
