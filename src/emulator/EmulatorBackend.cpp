#include "emulator/EmulatorBackend.h"

#include <charconv>
#include <utility>

#include "emulator/EmulatorDevice.h"

namespace kelvadeck {

EmulatorBackend::EmulatorBackend(EmulatedKelvadeck& device, std::string name) : m_device(device), m_name(std::move(name)) {}

std::string EmulatorBackend::PathOf(size_t index, const std::string& name) {
    return "emulator:" + name + ":" + std::to_string(index);
}

std::optional<size_t> EmulatorBackend::IndexOf(const std::string& path) const {
    const std::string prefix = "emulator:" + m_name + ":";
    if (!path.starts_with(prefix)) return std::nullopt;
    const char* first = path.data() + prefix.size();
    const char* last = path.data() + path.size();
    size_t index = 0;
    const auto [end, ec] = std::from_chars(first, last, index);
    if (ec != std::errc{} || end != last || first == last) return std::nullopt;
    return index;
}

std::vector<HidBackend::HidInterfaceInfo> EmulatorBackend::Enumerate(uint16_t vendorId, uint16_t productId) {
    std::vector<HidInterfaceInfo> found;
    if (!m_device.IsPlugged()) return found;
    const EmulatorKnobs knobs = m_device.Knobs();
    if ((vendorId != 0 && vendorId != knobs.vendorId) || (productId != 0 && productId != knobs.productId)) {
        return found;
    }
    for (size_t i = 0; i < knobs.interfaces.size(); ++i) {
        HidInterfaceInfo info;
        info.path = PathOf(i, m_name);
        info.vendorId = knobs.vendorId;
        info.productId = knobs.productId;
        info.usagePage = knobs.interfaces[i].usagePage;
        info.usage = knobs.interfaces[i].usage;
        info.interfaceNumber = knobs.interfaces[i].interfaceNumber;
        info.serialNumber = knobs.serialNumber;
        found.push_back(std::move(info));
    }
    return found;
}

std::unique_ptr<HidDevice> EmulatorBackend::Open(const std::string& path) {
    const std::optional<size_t> index = IndexOf(path);
    const EmulatorKnobs knobs = m_device.Knobs();
    if (!index || *index >= knobs.interfaces.size()) {
        m_lastError = "There is no emulated Kelvadeck interface at " + path + ".";
        return nullptr;
    }
    const std::optional<uint64_t> connection = m_device.Connection();
    if (!connection) {
        m_lastError = "The emulated Kelvadeck is unplugged.";
        return nullptr;
    }
    m_lastError.clear();
    const bool answers = knobs.interfaces[*index].usagePage == EmulatorKnobs::VENDOR_USAGE_PAGE;
    return std::make_unique<EmulatorDevice>(m_device, *connection, answers);
}

}  // namespace kelvadeck
