#pragma once

namespace kelvadeck {

// Told once per accounted answer of a job that moves the whole flash (backup,
// restore, factory reset) while it is registered with the transport
// (USBHidManager::SetRefSettingVC). The registration ends with the job.
class ProgressReceiver {
public:
    virtual ~ProgressReceiver() = default;
    virtual void UpdateProgressBar() = 0;
};

}  // namespace kelvadeck
