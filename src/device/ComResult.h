#pragma once

#include <cstdint>
#include <string>

namespace kelvadeck {

// How a device job ended: what the screens and the CLI tell the user. A job is
// the chain of steps from StartCom until the queue runs empty (steps appended
// while it runs belong to it).
struct ComResult {
    enum class AbortReason {
        None,
        DeviceGone,       // a read or write error: the device was unplugged
        TooManyFailures,  // several steps in a row failed
        Reset,            // the queue was thrown away while the job ran (new arrival)
    };

    int32_t nStepsDone = 0;
    int32_t nStepsFailed = 0;
    int32_t nStepsSkipped = 0;  // dropped unrun when the job was aborted
    bool bAborted = false;
    AbortReason eReason = AbortReason::None;
    // Diagnostics
    uint64_t dwExchanges = 0;  // output reports sent, resends included
    uint64_t dwResends = 0;
    uint64_t dwTimeouts = 0;

    bool Succeeded() const { return !bAborted && nStepsFailed == 0; }

    // One line for the user: "3 steps done" or what went wrong.
    std::string Describe() const {
        std::string s;
        switch (eReason) {
            case AbortReason::DeviceGone: s = "the device was disconnected during the job"; break;
            case AbortReason::TooManyFailures: s = "the device stopped answering correctly; the job was aborted"; break;
            case AbortReason::Reset: s = "the job was cancelled"; break;
            case AbortReason::None: break;
        }
        const std::string counts = std::to_string(nStepsDone) + " step" + (nStepsDone == 1 ? "" : "s") + " done, " +
                                   std::to_string(nStepsFailed) + " failed" +
                                   (nStepsSkipped > 0 ? ", " + std::to_string(nStepsSkipped) + " not run" : "");
        return s.empty() ? counts : s + " (" + counts + ")";
    }
};

}  // namespace kelvadeck
