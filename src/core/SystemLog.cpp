#include "core/SystemLog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__unix__) || defined(__APPLE__)
#include <syslog.h>
#define KELVADECK_HAVE_SYSLOG 1
#endif

namespace kelvadeck {

namespace {

#ifdef KELVADECK_HAVE_SYSLOG
int Priority(Logger::Level level) {
    switch (level) {
        case Logger::Level::Debug: return LOG_DEBUG;
        case Logger::Level::Info: return LOG_INFO;
        case Logger::Level::Warning: return LOG_WARNING;
        case Logger::Level::Error: return LOG_ERR;
    }
    return LOG_INFO;
}
#endif

}  // namespace

SystemLog::SystemLog(bool verbose, bool debug)
    : m_verbose(verbose), m_threshold(debug || DebugFromEnvironment() ? Logger::Level::Debug : Logger::Level::Info) {
#ifdef KELVADECK_HAVE_SYSLOG
    openlog("kelvadeck", LOG_PID, LOG_USER);
#endif
}

SystemLog::~SystemLog() {
#ifdef KELVADECK_HAVE_SYSLOG
    closelog();
#endif
}

bool SystemLog::DebugFromEnvironment() {
    const char* value = std::getenv("KELVADECK_DEBUG");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

Logger SystemLog::MakeLogger() const {
    const bool verbose = m_verbose;
    const Logger::Level threshold = m_threshold;
    return Logger([verbose, threshold](Logger::Level level, const std::string& line) {
        if (level < threshold) return;
#ifdef KELVADECK_HAVE_SYSLOG
        syslog(Priority(level), "%s", line.c_str());
#endif
        if (verbose) std::fprintf(stderr, "%s\n", line.c_str());
    });
}

}  // namespace kelvadeck
