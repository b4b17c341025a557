#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/AppModeRules.h"

namespace kelvadeck {

class DataManager;

// Puts the Kelvadeck in the mode that the focused application's rule asks
// for, by the device-wide settings report alone (its current-mode byte set,
// the other five taken from the model): a change of focus never writes the
// flash. One report per change of application; nothing when the application
// has no rule and there is no fallback.
class ModeFollower {
public:
    explicit ModeFollower(DataManager& dm) : m_dm(dm) {}

    void SetRules(AppModeRules rules) { m_rules = std::move(rules); }
    const AppModeRules& Rules() const { return m_rules; }

    // A window of the application with these names has the focus. Queues the
    // report and starts it when the mode is to change; returns the mode sent
    // (1 to 3), none otherwise. While another job runs nothing is sent: call
    // Reapply when it has ended.
    std::optional<int> FocusChanged(const std::vector<std::string>& names);
    // After a job that set the device's current mode back (a settings write
    // leaves it in the first mode), or one that ran while the focus moved:
    // the focused application's mode when the device is in another one.
    // Returns the mode sent.
    std::optional<int> Reapply();

    const std::vector<std::string>& Focused() const { return m_focused; }

private:
    std::optional<int> Send(int mode);

    DataManager& m_dm;
    AppModeRules m_rules;
    std::vector<std::string> m_focused;
};

}  // namespace kelvadeck
