#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct sd_bus;
struct sd_bus_slot;

namespace kelvadeck {

// One connection to a D-Bus bus through sd-bus, closed with the object.
// Waiting happens outside (poll on Fd()); Process() then handles what came.
class DbusConnection {
public:
    DbusConnection() = default;
    ~DbusConnection();
    DbusConnection(const DbusConnection&) = delete;
    DbusConnection& operator=(const DbusConnection&) = delete;

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
    // Calls changed with the new owner (empty: none) whenever the owner of
    // the well-known name changes, from Process(). The bus sends only the
    // changes of that name. False when the bus refuses the match.
    bool WatchOwner(const std::string& name, std::function<void(const std::string& owner)> changed);

private:
    struct OwnerWatch {
        std::string name;
        std::function<void(const std::string&)> changed;
        sd_bus_slot* slot = nullptr;
    };
    struct Handlers;  // the D-Bus callback
    friend struct Handlers;

    struct Closer {
        void operator()(sd_bus* bus) const;
    };
    std::unique_ptr<sd_bus, Closer> m_bus;
    // Released before the bus (declared after it).
    std::vector<std::unique_ptr<OwnerWatch>> m_ownerWatches;
};

}  // namespace kelvadeck
