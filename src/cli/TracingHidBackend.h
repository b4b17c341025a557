#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "device/HidBackend.h"

namespace kelvadeck {

// Wraps a backend so that every report of the devices it opens is printed:
// "> " and the 64 bytes in hex for an output report, "< " for an input report.
// Counts the output reports (the exchanges of the session).
class TracingHidBackend : public HidBackend {
public:
    TracingHidBackend(std::shared_ptr<HidBackend> inner, std::ostream& out);

    std::vector<HidInterfaceInfo> Enumerate(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    std::string LastError() const override;

    uint64_t Exchanges() const { return m_state->exchanges; }

    // "11 00 01 ..." for a report.
    static std::string Hex(const HidDevice::Report& report);

    struct State {
        std::ostream* out = nullptr;
        uint64_t exchanges = 0;
    };

private:
    std::shared_ptr<HidBackend> m_inner;
    std::shared_ptr<State> m_state;
};

}  // namespace kelvadeck
