#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/JobRig.h"

namespace kelvadeck::testsupport {

// One kind of device job as the screens (or the transport, for the boot read)
// assemble it: what happens before it (model edits, the reads it depends on;
// not part of the job) and the builders it queues. The rig holds a booted
// device with the reference image.
struct DeviceJobKind {
    std::string name;
    // Settings written this way are checked against the settings target.
    bool settingsWrite = false;
    std::function<void(JobRig&)> prepare;
    // Queues the job; the boot read is started by the arrival itself.
    std::function<void(JobRig&)> queue;
};

// Every job kind the application runs, in a fixed order.
std::vector<DeviceJobKind> AllDeviceJobKinds();

}  // namespace kelvadeck::testsupport
