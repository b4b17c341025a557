#include "emulator/EmulatorBackend.h"

#include <charconv>

#include "emulator/EmulatorDevice.h"

namespace kelvadeck {

namespace {
constexpr std::string_view PATH_PREFIX = "emulator:kelvadeck:";
}

EmulatorBackend::EmulatorBackend(EmulatedKelvadeck& device) : m_device(device) {}

std::string EmulatorBackend::PathOf(size_t index) { return std::string(PATH_PREFIX) + std::to_string(index); }

std::optional<size_t> EmulatorBackend::IndexOf(const std::string& path) {
    if (!path.starts_with(PATH_PREFIX)) return std::nullopt;
    const char* first = path.data() + PATH_PREFIX.size();
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
        info.path = PathOf(i);
        info.vendorId = knobs.vendorId;
        info.productId = knobs.productId;
        info.usagePage = knobs.interfaces[i].usagePage;
        info.usage = knobs.interfaces[i].usage;
        info.interfaceNumber = knobs.interfaces[i].interfaceNumber;
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
