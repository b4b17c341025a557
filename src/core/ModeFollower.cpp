#include "core/ModeFollower.h"

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"

namespace kelvadeck {

std::optional<int> ModeFollower::FocusChanged(const std::vector<std::string>& names) {
    if (names == m_focused) return std::nullopt;  // another window of the same application
    m_focused = names;
    const std::optional<int> mode = m_rules.ModeFor(names);
    if (!mode) return std::nullopt;
    // Sent even when the model says the device is in that mode already: the
    // user may have changed it with the mode key since.
    return Send(*mode);
}

std::optional<int> ModeFollower::Reapply() {
    const std::optional<int> mode = m_rules.ModeFor(m_focused);
    if (!mode || m_focused.empty() || m_dm.g_pSSI.bMode == *mode - 1) return std::nullopt;
    return Send(*mode);
}

std::optional<int> ModeFollower::Send(int mode) {
    USBHidManager& hid = m_dm.pUSBHID();
    // During another job (a screen's write) nothing is slipped in: Reapply
    // at its end sends what the focus asks for then.
    if (!hid.bConnected() || !m_dm.bDataInitialize() || hid.IsJobRunning()) return std::nullopt;
    const uint8_t before = m_dm.g_pSSI.bMode;
    m_dm.g_pSSI.bMode = static_cast<uint8_t>(mode - 1);
    if (!m_dm.pComQue().CreateBaseSettingInfoComQue() || !hid.StartCom()) {
        m_dm.g_pSSI.bMode = before;
        return std::nullopt;
    }
    m_dm.Log().Write("ModeFollower : mode " + std::to_string(mode) + " for " + (m_focused.empty() ? "?" : m_focused.front()));
    return mode;
}

}  // namespace kelvadeck
