#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/HidBackend.h"

namespace kelvadeck {

// Several backends seen as one host: Enumerate lists the interfaces of all of
// them in their order, Open goes to the backend that listed the path. Used to
// attach more than one emulated Kelvadeck.
class CompositeHidBackend : public HidBackend {
public:
    explicit CompositeHidBackend(std::vector<std::shared_ptr<HidBackend>> parts);

    std::vector<HidInterfaceInfo> Enumerate(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    std::string LastError() const override { return m_lastError; }

private:
    std::vector<std::shared_ptr<HidBackend>> m_parts;
    std::map<std::string, size_t> m_owner;  // path -> the part that listed it last
    std::string m_lastError;
};

}  // namespace kelvadeck
