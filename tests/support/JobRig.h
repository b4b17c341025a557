#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/DataManager.h"
#include "device/ComResult.h"
#include "emulator/EmulatedKelvadeck.h"
#include "emulator/EmulatorBackend.h"

namespace kelvadeck::testsupport {

// An emulated Kelvadeck whose flash starts as a given image, and a data
// manager connected to it through the emulator's HID backend. Jobs run
// synchronously to their end (SyncComRunner), as in the command line program.
class JobRig {
public:
    explicit JobRig(const std::vector<uint8_t>& image, EmulatorKnobs knobs = {});
    JobRig(const JobRig&) = delete;
    JobRig& operator=(const JobRig&) = delete;

    // Arrival: the boot job, then the model decoded as the main screen does.
    ComResult Boot();
    // Starts what is queued (unless a job already runs) and runs it to its end.
    ComResult Run();
    std::vector<uint8_t> Flash() const;

    EmulatedKelvadeck device;
    std::shared_ptr<EmulatorBackend> backend;
    std::unique_ptr<DataManager> dm;
};

}  // namespace kelvadeck::testsupport
