#include "app/SystemLog.h"

#include <cstdio>

#if defined(__unix__) || defined(__APPLE__)
#include <syslog.h>
#define KELVADECK_HAVE_SYSLOG 1
#endif

namespace kelvadeck {

SystemLog::SystemLog(bool verbose) : m_verbose(verbose) {
#ifdef KELVADECK_HAVE_SYSLOG
    openlog("kelvadeck", LOG_PID, LOG_USER);
#endif
}

SystemLog::~SystemLog() {
#ifdef KELVADECK_HAVE_SYSLOG
    closelog();
#endif
}

Logger SystemLog::MakeLogger() const {
    const bool verbose = m_verbose;
    return Logger([verbose](const std::string& line) {
#ifdef KELVADECK_HAVE_SYSLOG
        syslog(LOG_INFO, "%s", line.c_str());
#endif
        if (verbose) std::fprintf(stderr, "%s\n", line.c_str());
    });
}

}  // namespace kelvadeck
