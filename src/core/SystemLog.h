#pragma once

#include "base/Logger.h"

namespace kelvadeck {

// Where the programs' log lines go: the system log under the name
// "kelvadeck" (the journal on a systemd machine), each line at the priority
// of its level, and with verbose also standard error. Lines below the
// threshold go nowhere: info and above by default, debug too when asked for
// (--debug, or KELVADECK_DEBUG=1 in the environment). Opens the system log for
// its lifetime; the loggers made here must not outlive it.
class SystemLog {
public:
    SystemLog(bool verbose, bool debug);
    ~SystemLog();
    SystemLog(const SystemLog&) = delete;
    SystemLog& operator=(const SystemLog&) = delete;

    Logger MakeLogger() const;
    Logger::Level Threshold() const { return m_threshold; }

    // KELVADECK_DEBUG is set to something other than "" or "0".
    static bool DebugFromEnvironment();

private:
    bool m_verbose;
    Logger::Level m_threshold;
};

}  // namespace kelvadeck
