#pragma once

#include <memory>

#include "base/ExclusiveUse.h"
#include "device/HidDevice.h"

struct hid_device_;

namespace kelvadeck {

class HidapiLibrary;

// One opened hidraw (or platform) interface of the Kelvadeck through hidapi.
// The handle is closed in the destructor, and then the program's exclusive
// use of the node ends.
class HidapiDevice : public HidDevice {
public:
    struct Closer {
        void operator()(hid_device_* device) const;
    };
    using Handle = std::unique_ptr<hid_device_, Closer>;

    HidapiDevice(std::shared_ptr<HidapiLibrary> library, Handle handle, ExclusiveUse use = {});

    // Sends 65 bytes: a 0x00 report ID, which tells hidapi that the device
    // uses no report IDs, then the 64-byte report.
    [[nodiscard]] bool Write(const Report& report) override;
    // A negative timeout is taken as 0: a read never blocks without bound.
    ReadResult Read(int timeoutMs) override;

private:
    // Declared first so that it is destroyed last, after the handle is closed.
    std::shared_ptr<HidapiLibrary> m_library;
    ExclusiveUse m_use;
    Handle m_handle;
};

}  // namespace kelvadeck
