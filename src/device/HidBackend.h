#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/HidDevice.h"

namespace kelvadeck {

// The host's HID devices as the configurator sees them: a list of interfaces
// with their usage page, and a way to open one. Foreign types (hidapi's
// hid_device_info) are copied into HidInterfaceInfo at the boundary.
class HidBackend {
public:
    struct HidInterfaceInfo {
        std::string path;
        uint16_t vendorId = 0;
        uint16_t productId = 0;
        uint16_t usagePage = 0;
        uint16_t usage = 0;
        int interfaceNumber = -1;
        std::string serialNumber;  // the device's (all its interfaces share it); may be empty
    };

    virtual ~HidBackend() = default;
    // Interfaces of devices with these IDs, in the system's enumeration order.
    virtual std::vector<HidInterfaceInfo> Enumerate(uint16_t vendorId, uint16_t productId) = 0;
    // Null when the interface cannot be opened (gone, or no permission).
    virtual std::unique_ptr<HidDevice> Open(const std::string& path) = 0;
    // Why the last Open failed, in words a user can act on (empty when unknown).
    virtual std::string LastError() const { return {}; }
    // The last Open failed because another program is using the device: it
    // may be free again at any time, without the system announcing it.
    virtual bool LastOpenHeldElsewhere() const { return false; }
};

}  // namespace kelvadeck
