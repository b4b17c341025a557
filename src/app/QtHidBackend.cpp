#include "app/QtHidBackend.h"

#include "app/HidPump.h"
#include "app/QueuedHidDevice.h"

namespace kelvadeck {

QtHidBackend::QtHidBackend(std::shared_ptr<HidBackend> inner, HidPump& pump) : m_inner(std::move(inner)), m_pump(pump) {}

std::vector<HidBackend::HidInterfaceInfo> QtHidBackend::Enumerate(uint16_t vendorId, uint16_t productId) {
    if (!m_inner) return {};
    return m_inner->Enumerate(vendorId, productId);
}

std::unique_ptr<HidDevice> QtHidBackend::Open(const std::string& path) {
    if (!m_inner) return nullptr;
    std::unique_ptr<HidDevice> device = m_inner->Open(path);
    if (!device) return nullptr;
    HidPump* pump = &m_pump;
    auto queued = std::make_unique<QueuedHidDevice>(std::move(device), m_nextSerial++, [pump] { pump->ArmDeadline(); });
    m_pump.Attach(*queued);
    return queued;
}

std::string QtHidBackend::LastError() const { return m_inner ? m_inner->LastError() : std::string(); }

}  // namespace kelvadeck
