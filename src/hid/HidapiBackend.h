#pragma once

#include <memory>
#include <string>
#include <vector>

#include "device/HidBackend.h"

namespace kelvadeck {

class HidapiLibrary;

// The real host HID devices through hidapi (hidraw on Linux). hidapi's device
// list is copied into HidInterfaceInfo straight away; no hidapi type leaves
// this class. hid_init runs when the backend is created and hid_exit when it
// and every device opened from it are gone.
class HidapiBackend : public HidBackend {
public:
    HidapiBackend();
    ~HidapiBackend() override;

    std::vector<HidInterfaceInfo> Enumerate(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    std::string LastError() const override { return m_lastError; }
    bool LastOpenHeldElsewhere() const override { return m_heldElsewhere; }

private:
    std::shared_ptr<HidapiLibrary> m_library;
    std::string m_lastError;
    bool m_heldElsewhere = false;
};

}  // namespace kelvadeck
