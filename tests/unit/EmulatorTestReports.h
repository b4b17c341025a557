#pragma once

// Output reports as the configurator builds them: every byte 0xFF, then the
// command code, big-endian address, length and data.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "device/HidDevice.h"

namespace kelvadeck::emutest {

using Report = HidDevice::Report;

inline Report Request(uint8_t command) {
    Report report;
    report.fill(0xFF);
    report[0] = command;
    return report;
}

inline void PutAddress(Report& report, uint32_t address) {
    report[1] = static_cast<uint8_t>(address >> 24);
    report[2] = static_cast<uint8_t>(address >> 16);
    report[3] = static_cast<uint8_t>(address >> 8);
    report[4] = static_cast<uint8_t>(address);
}

inline Report ReadRequest(uint32_t address, uint8_t size) {
    Report report = Request(0x11);
    PutAddress(report, address);
    report[5] = size;
    return report;
}

inline Report WriteRequest(uint32_t address, const std::vector<uint8_t>& data) {
    Report report = Request(0x12);
    PutAddress(report, address);
    report[5] = static_cast<uint8_t>(data.size());
    for (size_t i = 0; i < data.size() && 6 + i < report.size(); ++i) report[6 + i] = data[i];
    return report;
}

inline Report EraseRequest(uint32_t address) {
    Report report = Request(0x13);
    PutAddress(report, address);
    return report;
}

inline Report PayloadRequest(uint8_t command, std::initializer_list<uint8_t> payload) {
    Report report = Request(command);
    size_t i = 1;
    for (uint8_t byte : payload) {
        if (i >= report.size()) break;
        report[i++] = byte;
    }
    return report;
}

}  // namespace kelvadeck::emutest
