#include "device/CompositeHidBackend.h"

#include <utility>

namespace kelvadeck {

CompositeHidBackend::CompositeHidBackend(std::vector<std::shared_ptr<HidBackend>> parts) : m_parts(std::move(parts)) {}

std::vector<HidBackend::HidInterfaceInfo> CompositeHidBackend::Enumerate(uint16_t vendorId, uint16_t productId) {
    std::vector<HidInterfaceInfo> all;
    m_owner.clear();
    for (size_t i = 0; i < m_parts.size(); ++i) {
        for (HidInterfaceInfo& info : m_parts[i]->Enumerate(vendorId, productId)) {
            m_owner[info.path] = i;
            all.push_back(std::move(info));
        }
    }
    return all;
}

std::unique_ptr<HidDevice> CompositeHidBackend::Open(const std::string& path) {
    const auto owner = m_owner.find(path);
    if (owner == m_owner.end()) {
        m_lastError = "No HID interface at " + path + ".";
        return nullptr;
    }
    HidBackend& part = *m_parts[owner->second];
    std::unique_ptr<HidDevice> device = part.Open(path);
    m_lastError = device ? std::string() : part.LastError();
    return device;
}

}  // namespace kelvadeck
