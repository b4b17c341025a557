#pragma once

// A scripted HID transport for protocol tests: every output report is
// recorded, a responder decides what (if anything) comes back, and the test
// can queue input reports, timeouts and read errors by hand.

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "device/HidBackend.h"
#include "device/HidDevice.h"

namespace kelvadeck::fakehid {

using Report = HidDevice::Report;

inline Report Bytes(std::initializer_list<uint8_t> bytes, uint8_t fill = 0x00) {
    Report r;
    r.fill(fill);
    size_t i = 0;
    for (uint8_t b : bytes) {
        if (i < r.size()) r[i++] = b;
    }
    return r;
}

// Flash contents the well-behaved responder serves: a pattern of the address.
inline uint8_t PatternAt(uint64_t addr) { return static_cast<uint8_t>((addr * 7 + (addr >> 8)) & 0xFF); }

// Answers as a healthy device: reads with the pattern, writes and erases and
// settings accepted, version "1.02".
inline Report HealthyAnswer(const Report& req) {
    Report a{};
    a[0] = req[0];
    switch (req[0]) {
        case 0x11: {
            const uint64_t addr = (uint64_t{req[1]} << 24) | (uint64_t{req[2]} << 16) | (uint64_t{req[3]} << 8) | req[4];
            const uint8_t n = req[5] > 62 ? 62 : req[5];
            a[1] = n;
            for (uint8_t i = 0; i < n; ++i) a[2 + i] = PatternAt(addr + i);
            break;
        }
        case 0x56:
            a[1] = '1';
            a[2] = '.';
            a[3] = '0';
            a[4] = '2';
            a[5] = 0;
            break;
        default:
            a[1] = 0;
            break;
    }
    return a;
}

class FakeDevice {
public:
    std::vector<Report> written;
    std::deque<HidDevice::ReadResult> input;
    // Reports that arrive "a little later": a read that waits (timeout > 0)
    // finds them once input is empty; a read that only looks (timeout 0) does not.
    std::deque<HidDevice::ReadResult> later;
    std::vector<int> readTimeouts;
    // Decides the answers to a write; by default a healthy device. May push
    // any number of reports (or none) into input.
    std::function<void(const Report&, FakeDevice&)> onWrite = [](const Report& r, FakeDevice& d) { d.Push(HealthyAnswer(r)); };
    bool writeFails = false;
    bool gone = false;
    // The device's clock: a read that waits and finds nothing spends its
    // whole timeout here, as on the emulator, so nothing waits for real.
    int64_t clockMicros = 0;

    void Push(const Report& r) { input.push_back({HidDevice::ReadStatus::Report, r}); }
    void PushGone() { input.push_back({HidDevice::ReadStatus::Gone, {}}); }

    bool Write(const Report& r) {
        if (gone || writeFails) return false;
        written.push_back(r);
        if (onWrite) onWrite(r, *this);
        return true;
    }
    HidDevice::ReadResult Read(int timeoutMs) {
        readTimeouts.push_back(timeoutMs);
        if (gone) return {HidDevice::ReadStatus::Gone, {}};
        if (input.empty() && timeoutMs > 0 && !later.empty()) {
            input.push_back(later.front());
            later.pop_front();
        }
        if (input.empty()) {
            if (timeoutMs > 0) clockMicros += int64_t{timeoutMs} * 1000;
            return {HidDevice::ReadStatus::Timeout, {}};
        }
        HidDevice::ReadResult r = input.front();
        input.pop_front();
        if (r.status == HidDevice::ReadStatus::Gone) gone = true;
        return r;
    }
};

class FakeHandle : public HidDevice {
public:
    explicit FakeHandle(std::shared_ptr<FakeDevice> d) : m_d(std::move(d)) {}
    bool Write(const Report& r) override { return m_d->Write(r); }
    ReadResult Read(int timeoutMs) override { return m_d->Read(timeoutMs); }
    int64_t NowMicros() const override { return m_d->clockMicros; }

private:
    std::shared_ptr<FakeDevice> m_d;
};

class FakeBackend : public HidBackend {
public:
    std::vector<HidInterfaceInfo> interfaces;
    std::shared_ptr<FakeDevice> device = std::make_shared<FakeDevice>();
    std::vector<std::string> opened;
    bool openFails = false;

    FakeBackend() { interfaces = {Interface("kbd", 0x0001, 0x06), Interface("vendor", 0xFF00, 0x01)}; }

    static HidInterfaceInfo Interface(const std::string& path, uint16_t page, uint16_t usage) {
        HidInterfaceInfo i;
        i.path = path;
        i.vendorId = 0x22EA;
        i.productId = 0x004B;
        i.usagePage = page;
        i.usage = usage;
        return i;
    }

    std::vector<HidInterfaceInfo> Enumerate(uint16_t vid, uint16_t pid) override {
        std::vector<HidInterfaceInfo> out;
        for (const auto& i : interfaces) {
            if (i.vendorId == vid && i.productId == pid) out.push_back(i);
        }
        return out;
    }
    std::unique_ptr<HidDevice> Open(const std::string& path) override {
        opened.push_back(path);
        if (openFails) return nullptr;
        return std::make_unique<FakeHandle>(device);
    }
    std::string LastError() const override { return openFails ? "permission denied" : ""; }
};

}  // namespace kelvadeck::fakehid
