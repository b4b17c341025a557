#include "support/XvfbServer.h"

#include <filesystem>

#include "support/ReportingChild.h"

namespace kelvadeck::testsupport {

XvfbServer::XvfbServer() {
    if (!std::filesystem::exists("/usr/bin/Xvfb")) return;
    // Xvfb picks a free display number itself and writes it to displayfd once
    // it listens: test processes running side by side never meet on one.
    const auto child = ReportingChild::Start(
        {"/usr/bin/Xvfb", "-displayfd", "{fd}", "-nolisten", "tcp", "-screen", "0", "640x480x24"});
    if (!child) return;
    m_pid = child->pid;
    m_display = ":" + child->line;
}

XvfbServer::~XvfbServer() { ReportingChild::Stop(m_pid); }

}  // namespace kelvadeck::testsupport
