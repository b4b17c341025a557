#pragma once

#include "app/Logger.h"

namespace kelvadeck {

// Where the desktop application's log lines go: the system log (where there
// is one), and with --verbose also standard error. Opens the system log for the program's
// lifetime; the loggers made here must not outlive it.
class SystemLog {
public:
    explicit SystemLog(bool verbose);
    ~SystemLog();
    SystemLog(const SystemLog&) = delete;
    SystemLog& operator=(const SystemLog&) = delete;

    Logger MakeLogger() const;

private:
    bool m_verbose;
};

}  // namespace kelvadeck
