#include "focus/DbusConnection.h"

#include <systemd/sd-bus.h>

#include <cstring>

namespace kelvadeck {

void DbusConnection::Closer::operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }

DbusConnection::~DbusConnection() {
    for (const auto& watch : m_ownerWatches) sd_bus_slot_unref(watch->slot);
}

bool DbusConnection::Open(const std::string& address, std::string& error) {
    sd_bus* bus = nullptr;
    int r = address.empty() ? sd_bus_open_user(&bus) : sd_bus_new(&bus);
    m_bus.reset(bus);
    if (r >= 0 && !address.empty() && (r = sd_bus_set_address(bus, address.c_str())) >= 0 && (r = sd_bus_set_bus_client(bus, 1)) >= 0) {
        r = sd_bus_start(bus);
    }
    if (r < 0) {
        m_bus.reset();
        error = std::string("no D-Bus session bus (") + std::strerror(-r) + ")";
        return false;
    }
    return true;
}

int DbusConnection::Fd() const { return m_bus ? sd_bus_get_fd(m_bus.get()) : -1; }

bool DbusConnection::Process() {
    if (!m_bus) return false;
    for (;;) {
        const int r = sd_bus_process(m_bus.get(), nullptr);
        if (r < 0) return false;
        if (r == 0) return true;
    }
}

std::string DbusConnection::UniqueName() const {
    const char* name = nullptr;
    if (!m_bus || sd_bus_get_unique_name(m_bus.get(), &name) < 0 || name == nullptr) return {};
    return name;
}

std::string DbusConnection::NameOwner(const std::string& name) const {
    if (!m_bus) return {};
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    std::string owner;
    if (sd_bus_call_method(m_bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner", &error,
                           &reply, "s", name.c_str()) >= 0) {
        const char* text = nullptr;
        if (sd_bus_message_read(reply, "s", &text) >= 0 && text != nullptr) owner = text;
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return owner;
}

struct DbusConnection::Handlers {
    static int OwnerChanged(sd_bus_message* m, void* watch, sd_bus_error* error);
};

int DbusConnection::Handlers::OwnerChanged(sd_bus_message* m, void* watch, sd_bus_error*) {
    const auto* w = static_cast<const OwnerWatch*>(watch);
    const char* name = nullptr;
    const char* before = nullptr;
    const char* after = nullptr;
    if (sd_bus_message_read(m, "sss", &name, &before, &after) >= 0 && name != nullptr && w->name == name) {
        w->changed(after != nullptr ? after : "");
    }
    return 0;
}

bool DbusConnection::WatchOwner(const std::string& name, std::function<void(const std::string& owner)> changed) {
    if (!m_bus) return false;
    auto watch = std::make_unique<OwnerWatch>();
    watch->name = name;
    watch->changed = std::move(changed);
    // Filtered by the bus on the name: the programs that come and go on a
    // session bus all day wake nobody here.
    const std::string rule = "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
                             "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='" + name + "'";
    if (sd_bus_add_match(m_bus.get(), &watch->slot, rule.c_str(), &Handlers::OwnerChanged, watch.get()) < 0) return false;
    m_ownerWatches.push_back(std::move(watch));
    return true;
}

}  // namespace kelvadeck
