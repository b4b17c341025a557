#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kelvadeck {

// Everything that shapes how the emulated Kelvadeck looks and misbehaves, as
// plain data. A test copies the sane default and changes the one field it is
// about: `EmulatorKnobs knobs; knobs.busyAnswersBeforeReal = 2;`.
struct EmulatorKnobs {
    // One HID interface of the device as the host enumerates it.
    struct Interface {
        uint16_t usagePage = 0;
        uint16_t usage = 0;
        int interfaceNumber = -1;
    };

    // Inclusive flash address range [first, last].
    struct AddressRange {
        uint32_t first = 0;
        uint32_t last = 0;
        // True when any byte of [begin, begin + size) lies in this range.
        bool Overlaps(uint64_t begin, uint64_t size) const {
            if (size == 0) return false;
            const uint64_t end = begin + size - 1;
            return begin <= last && end >= first;
        }
    };

    static constexpr uint16_t VENDOR_USAGE_PAGE = 0xFF00;

    // Identity
    uint16_t vendorId = 0x22EA;
    uint16_t productId = 0x004B;
    // In the order the host's enumeration lists them. The composite device shows
    // its keyboard first; only the interface on the vendor page answers reports.
    std::vector<Interface> interfaces = {
        {0x0001, 0x0006, 0},               // keyboard
        {VENDOR_USAGE_PAGE, 0x0001, 1},    // configuration reports
    };
    // What the host reads as the device's serial number.
    std::string serialNumber = "KD-EMU-0001";
    // Sent in the version answer; at most 63 characters reach the host.
    std::string firmwareVersion = "1.02";

    // Latency model in simulated microseconds. Nothing waits for real: the
    // times only add up in the counters. Defaults are those of a full-speed
    // interrupt endpoint (1 ms each way) and a typical serial NOR chip.
    uint32_t exchangeMicros = 2000;
    uint32_t sectorEraseMicros = 150000;
    uint32_t pageProgramMicros = 700;

    // Lost answers: the request is carried out but its answer never arrives.
    // Exchanges count from 1 since the device was created.
    std::set<uint64_t> dropAnswerOfExchanges;
    std::set<uint8_t> dropAnswersForCommands;

    // Failing requests: writes and erases whose range touches one of the
    // addresses, and every request with one of the command codes, are refused
    // with errorStatus (flash unchanged; payloads are refused likewise). A read
    // cannot carry a status: it is answered with no data. A version request is
    // answered with an empty text.
    std::set<uint8_t> errorForCommands;
    std::vector<AddressRange> errorForAddresses;
    // The commands the address ranges apply to (read, write, erase); empty: all three.
    std::set<uint8_t> errorForAddressesCommands;
    uint8_t errorStatus = 1;

    // A busy device: each request is first answered with busyCode this many
    // times (the host sends it again) and carried out on the next try. Applies
    // to the commands in busyForCommands, or to all when that is empty.
    uint32_t busyAnswersBeforeReal = 0;
    uint8_t busyCode = 0x31;
    std::set<uint8_t> busyForCommands;

    // The device disappears after this many answered exchanges: the next write
    // fails, reads report the device gone and enumeration finds nothing.
    std::optional<uint64_t> unplugAfterExchanges;

    // Answer code for a command the firmware does not know (one the host
    // treats as "send again").
    uint8_t unknownCommandAnswer = 0x31;

    // With false (tests, the CLI) Read never waits: it returns a pending answer
    // or Timeout at once. With true it waits up to its timeout for an answer to
    // arrive, like hardware, so that a reader thread does not spin.
    bool readsWaitForAnswer = false;
};

}  // namespace kelvadeck
