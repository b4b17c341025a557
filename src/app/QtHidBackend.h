#pragma once

#include <cstdint>
#include <memory>

#include "device/HidBackend.h"

namespace kelvadeck {

class HidPump;

// The host's HID devices for the desktop application: enumeration as the
// wrapped backend does it; each opened device gets its own I/O thread, and
// its input is delivered on the main thread by the pump.
class QtHidBackend : public HidBackend {
public:
    QtHidBackend(std::shared_ptr<HidBackend> inner, HidPump& pump);

    std::vector<HidInterfaceInfo> Enumerate(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    std::string LastError() const override;

private:
    std::shared_ptr<HidBackend> m_inner;
    HidPump& m_pump;
    uint64_t m_nextSerial = 1;
};

}  // namespace kelvadeck
