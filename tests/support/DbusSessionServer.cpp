#include "support/DbusSessionServer.h"

#include <filesystem>

#include "support/ReportingChild.h"

namespace kelvadeck::testsupport {

DbusSessionServer::DbusSessionServer() {
    if (!std::filesystem::exists("/usr/bin/dbus-daemon")) return;
    // The daemon prints its address once it listens.
    const auto child = ReportingChild::Start(
        {"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address={fd}"});
    if (!child) return;
    m_pid = child->pid;
    m_address = child->line;
}

DbusSessionServer::~DbusSessionServer() { ReportingChild::Stop(m_pid); }

}  // namespace kelvadeck::testsupport
