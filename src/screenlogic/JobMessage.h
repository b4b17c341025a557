#pragma once

#include <string>

#include "device/ComResult.h"
#include "model/StringTable.h"

namespace kelvadeck {

// What the user is told when a device job did not go through or could not
// start: which job, what went wrong and what to do about it, in the words of
// the string table.
class JobMessage {
public:
    // jobNameKey names the job ("JOB_NAME_BACKUP" ...). Empty for a job that
    // succeeded.
    static std::string Failure(const std::string& jobNameKey, const ComResult& result, const StringTable& strings);
    // What a job that went through still has to tell: settings the device
    // stored but did not apply at once, a preview it did not show. Empty
    // when there is nothing to say (or the job failed: Failure says it all).
    static std::string Warning(const ComResult& result, const StringTable& strings);
    // Failure, or else Warning: the one line a screen shows after a job.
    static std::string Outcome(const std::string& jobNameKey, const ComResult& result, const StringTable& strings);
    // Why there is no device to talk to: none found, or the transport's reason
    // why it could not be opened (which carries its fix, e.g. the udev rule).
    static std::string NotConnected(const std::string& lastOpenError, const StringTable& strings);
};

}  // namespace kelvadeck
