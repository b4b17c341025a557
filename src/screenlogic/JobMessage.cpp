#include "screenlogic/JobMessage.h"

#include "screenlogic/TextTemplate.h"

namespace kelvadeck {

std::string JobMessage::Failure(const std::string& jobNameKey, const ComResult& result, const StringTable& strings) {
    if (result.Succeeded()) return {};
    const std::string failed = std::to_string(result.nStepsFailed);
    const std::string total = std::to_string(result.nStepsDone + result.nStepsFailed + result.nStepsSkipped);
    std::string cause;
    switch (result.eReason) {
        case ComResult::AbortReason::DeviceGone:
            cause = strings.Get("JOB_CAUSE_DEVICE_GONE");
            break;
        case ComResult::AbortReason::Reset:
            cause = strings.Get("JOB_CAUSE_RESET");
            break;
        case ComResult::AbortReason::TooManyFailures:
        case ComResult::AbortReason::None:
            // Steps fail either because no answer came in time or because the
            // device answered with an error status.
            cause = TextTemplate::Fill(strings.Get(result.dwTimeouts > 0 ? "JOB_CAUSE_TIMEOUT" : "JOB_CAUSE_REFUSED"),
                                       {failed, total});
            break;
    }
    std::string text = TextTemplate::Fill(strings.Get("JOB_FAILED"), {strings.Get(jobNameKey)}) + "\n" + cause;
    if (!result.arFailedSectors.empty()) {
        text += "\n" + TextTemplate::Fill(strings.Get("JOB_FAILED_SECTORS"), {result.FailedSectorList()});
    }
    return text;
}

std::string JobMessage::Warning(const ComResult& result, const StringTable& strings) {
    if (!result.Succeeded()) return {};
    std::string text;
    if (result.nLiveUpdatesRefused > 0) {
        text = TextTemplate::Fill(strings.Get("JOB_WARNING_LIVE_REFUSED"), {std::to_string(result.nLiveUpdatesRefused)});
    }
    if (result.nPreviewsRefused > 0) text += (text.empty() ? "" : "\n") + strings.Get("JOB_WARNING_PREVIEW_REFUSED");
    return text;
}

std::string JobMessage::Outcome(const std::string& jobNameKey, const ComResult& result, const StringTable& strings) {
    const std::string failure = Failure(jobNameKey, result, strings);
    return failure.empty() ? Warning(result, strings) : failure;
}

std::string JobMessage::NotConnected(const std::string& lastOpenError, const StringTable& strings) {
    if (lastOpenError.empty()) return strings.Get("STATUS_DETAIL_NO_DEVICE");
    return TextTemplate::Fill(strings.Get("STATUS_DETAIL_OPEN_ERROR"), {lastOpenError});
}

}  // namespace kelvadeck
