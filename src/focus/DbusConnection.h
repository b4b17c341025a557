#pragma once

#include <memory>
#include <string>

struct sd_bus;

namespace kelvadeck {

// One connection to a D-Bus bus through sd-bus, closed with the object.
// Waiting happens outside (poll on Fd()); Process() then handles what came.
class DbusConnection {
public:
    DbusConnection() = default;

    // address: a bus address ("unix:path=..."); empty: the user's session bus.
    // False with the reason in error when there is none.
    bool Open(const std::string& address, std::string& error);
    bool IsOpen() const { return m_bus != nullptr; }
    sd_bus* Get() const { return m_bus.get(); }
    int Fd() const;
    // Handles every message that has arrived (replies, signals, calls to the
    // objects this connection serves). False when the bus went away.
    bool Process();
    // This connection's unique name on the bus (":1.42").
    std::string UniqueName() const;
    // Who owns a well-known name now; empty when nobody does.
    std::string NameOwner(const std::string& name) const;

private:
    struct Closer {
        void operator()(sd_bus* bus) const;
    };
    std::unique_ptr<sd_bus, Closer> m_bus;
};

}  // namespace kelvadeck
