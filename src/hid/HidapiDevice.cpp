#include "hid/HidapiDevice.h"

#include <hidapi.h>

#include <algorithm>
#include <array>
#include <utility>

#include "hid/HidapiLibrary.h"

namespace kelvadeck {

void HidapiDevice::Closer::operator()(hid_device_* device) const {
    if (device != nullptr) hid_close(device);
}

HidapiDevice::HidapiDevice(std::shared_ptr<HidapiLibrary> library, Handle handle, ExclusiveUse use)
    : m_library(std::move(library)), m_use(std::move(use)), m_handle(std::move(handle)) {}

bool HidapiDevice::Write(const Report& report) {
    if (!m_handle) return false;
    std::array<unsigned char, REPORT_SIZE + 1> buffer{};
    buffer[0] = 0x00;
    std::copy(report.begin(), report.end(), buffer.begin() + 1);
    const int written = hid_write(m_handle.get(), buffer.data(), buffer.size());
    return written == static_cast<int>(buffer.size());
}

HidDevice::ReadResult HidapiDevice::Read(int timeoutMs) {
    ReadResult result;
    if (!m_handle) {
        result.status = ReadStatus::Gone;
        return result;
    }
    std::array<unsigned char, REPORT_SIZE> buffer{};
    const int count = hid_read_timeout(m_handle.get(), buffer.data(), buffer.size(), std::max(timeoutMs, 0));
    if (count < 0) {
        result.status = ReadStatus::Gone;
        return result;
    }
    if (count == 0) {
        result.status = ReadStatus::Timeout;
        return result;
    }
    // A shorter report (not sent by the Kelvadeck) keeps zeros after its end.
    const auto received = static_cast<size_t>(std::min<int>(count, static_cast<int>(REPORT_SIZE)));
    std::copy_n(buffer.begin(), received, result.report.begin());
    result.status = ReadStatus::Report;
    return result;
}

}  // namespace kelvadeck
