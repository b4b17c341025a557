#include "screenlogic/ProgressEstimate.h"

#include <cstdio>

#include "screenlogic/TextTemplate.h"

namespace kelvadeck {

int64_t ProgressEstimate::SecondsLeft(int64_t done, int64_t total, int64_t elapsedMs) {
    if (done <= 0 || total <= 0 || elapsedMs < 1000) return -1;
    if (done >= total) return 0;
    const int64_t leftMs = elapsedMs * (total - done) / done;
    return (leftMs + 999) / 1000;
}

std::string ProgressEstimate::Text(int64_t secondsLeft, const StringTable& strings) {
    if (secondsLeft < 0) return {};
    std::string amount;
    if (secondsLeft >= 60) {
        char sec[8];
        std::snprintf(sec, sizeof sec, "%02d", static_cast<int>(secondsLeft % 60));
        amount = TextTemplate::Fill(strings.Get("PROGRESS_TIME_MIN_SEC"), {std::to_string(secondsLeft / 60), sec});
    } else {
        amount = TextTemplate::Fill(strings.Get("PROGRESS_TIME_SEC"), {std::to_string(secondsLeft)});
    }
    return TextTemplate::Fill(strings.Get("PROGRESS_TIME_LEFT"), {amount});
}

}  // namespace kelvadeck
