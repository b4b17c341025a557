#pragma once

#include <string>
#include <sys/types.h>

namespace kelvadeck::testsupport {

// A private D-Bus session bus (dbus-daemon) for the tests that talk D-Bus:
// started with the object, stopped with it. Running() is false where
// dbus-daemon is not installed or does not come up; such tests skip.
class DbusSessionServer {
public:
    DbusSessionServer();
    ~DbusSessionServer();
    DbusSessionServer(const DbusSessionServer&) = delete;
    DbusSessionServer& operator=(const DbusSessionServer&) = delete;

    bool Running() const { return m_pid > 0; }
    // The bus address ("unix:path=...,guid=...").
    const std::string& Address() const { return m_address; }

private:
    pid_t m_pid = -1;
    std::string m_address;
};

}  // namespace kelvadeck::testsupport
