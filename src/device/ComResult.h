#pragma once

#include <cstdint>
#include <set>
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
    // Settings reports the device answered with a refusal. Such a step still
    // counts as done: what it carries is in the flash, the device only did
    // not take it over at once (it does at its next start).
    int32_t nLiveUpdatesRefused = 0;
    // LED previews the device refused: nothing was shown, nothing is lost.
    int32_t nPreviewsRefused = 0;
    // Sectors an erase or a write of this job did not reach as planned
    // (refused, given up, or not run after an abort): they may not hold what
    // the job meant to put there.
    std::set<int> arFailedSectors;
    // Diagnostics
    uint64_t dwExchanges = 0;  // output reports sent, resends included
    uint64_t dwResends = 0;
    uint64_t dwTimeouts = 0;
    uint64_t dwBusyAnswers = 0;  // answers asking for the request again

    bool Succeeded() const { return !bAborted && nStepsFailed == 0; }
    bool HasWarning() const { return nLiveUpdatesRefused > 0 || nPreviewsRefused > 0; }

    // One line for a write that went through with refused live updates; empty otherwise.
    std::string Warning() const {
        if (nLiveUpdatesRefused == 0) return {};
        return "the device did not apply " + std::to_string(nLiveUpdatesRefused) + " of the new settings at once; " +
               "they are stored and apply when the device is plugged in again";
    }

    // "5" or "5, 9, 12": the sectors for a message.
    std::string FailedSectorList() const {
        std::string out;
        for (int sector : arFailedSectors) out += (out.empty() ? "" : ", ") + std::to_string(sector);
        return out;
    }

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
        std::string line = s.empty() ? counts : s + " (" + counts + ")";
        if (!arFailedSectors.empty()) {
            line += "; flash sector" + std::string(arFailedSectors.size() == 1 ? " " : "s ") + FailedSectorList() +
                    " not written as planned";
        }
        return line;
    }
};

}  // namespace kelvadeck
