#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/HidBackend.h"
#include "emulator/EmulatedKelvadeck.h"

namespace kelvadeck {

// The host's HID devices as seen when the only one is an emulated Kelvadeck:
// Enumerate lists its interfaces (in the order of the knobs) while it is
// plugged in, Open returns an EmulatorDevice for one of them. Like hidapi, a
// vendor or product ID of 0 matches any. The device must outlive the backend
// and every handle opened from it.
class EmulatorBackend : public HidBackend {
public:
    // name tells the interfaces of several emulated devices apart in their
    // paths ("emulator:<name>:<index>").
    explicit EmulatorBackend(EmulatedKelvadeck& device, std::string name = "kelvadeck");

    std::vector<HidInterfaceInfo> Enumerate(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    std::string LastError() const override { return m_lastError; }

    // Path of interface index (position in the knobs' interface list) of the
    // emulated device called name.
    static std::string PathOf(size_t index, const std::string& name = "kelvadeck");

private:
    std::optional<size_t> IndexOf(const std::string& path) const;

    EmulatedKelvadeck& m_device;
    std::string m_name;
    std::string m_lastError;
};

}  // namespace kelvadeck
