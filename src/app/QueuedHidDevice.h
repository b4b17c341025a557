#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "app/HidIoThread.h"
#include "device/HidDevice.h"

namespace kelvadeck {

// The device as the transport on the main thread sees it: writes are handed
// to the device's I/O thread, reads take what that thread has read. Nothing
// here blocks unless a read asks for a timeout (the transport only drains
// with 0). Each opened device has its own serial number, so that reports
// still on their way from a closed device are told apart from new ones.
class QueuedHidDevice : public HidDevice {
public:
    QueuedHidDevice(std::unique_ptr<HidDevice> device, uint64_t serial, std::function<void()> onWrite);

    [[nodiscard]] bool Write(const Report& report) override;
    ReadResult Read(int timeoutMs) override;

    HidIoThread& Io() { return m_io; }
    uint64_t Serial() const { return m_serial; }

private:
    HidIoThread m_io;
    const uint64_t m_serial;
    std::function<void()> m_onWrite;
};

}  // namespace kelvadeck
