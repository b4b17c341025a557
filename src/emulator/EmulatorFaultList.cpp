#include "emulator/EmulatorFaultList.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "emulator/EmulatedFirmware.h"

namespace kelvadeck {

namespace {

// A whole decimal or 0x-prefixed hexadecimal number no larger than max.
std::optional<uint64_t> Number(std::string_view text, uint64_t max) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
    return value;
}

bool ApplyItem(std::string_view item, EmulatorKnobs& k) {
    const size_t eq = item.find('=');
    if (eq == std::string_view::npos) return false;
    const std::string_view name = item.substr(0, eq);
    const std::string_view value = item.substr(eq + 1);
    constexpr uint64_t kByte = 0xFF;
    constexpr uint64_t kU32 = std::numeric_limits<uint32_t>::max();
    constexpr uint64_t kU64 = std::numeric_limits<uint64_t>::max();
    if (name == "busy") {
        const auto n = Number(value, kU32);
        if (!n) return false;
        k.busyAnswersBeforeReal = static_cast<uint32_t>(*n);
    } else if (name == "busy-code") {
        const auto code = Number(value, kByte);
        if (!code) return false;
        k.busyCode = static_cast<uint8_t>(*code);
    } else if (name == "refuse") {
        const auto code = Number(value, kByte);
        if (!code) return false;
        k.errorForCommands.insert(static_cast<uint8_t>(*code));
    } else if (name == "refuse-at") {
        const size_t dash = value.find('-');
        if (dash == std::string_view::npos) return false;
        const auto first = Number(value.substr(0, dash), kU32);
        const auto last = Number(value.substr(dash + 1), kU32);
        if (!first || !last || *first > *last) return false;
        k.errorForAddresses.push_back({static_cast<uint32_t>(*first), static_cast<uint32_t>(*last)});
        k.errorForAddressesCommands = {EmulatedFirmware::CMD_WRITE, EmulatedFirmware::CMD_DELETE};
    } else if (name == "drop") {
        const auto n = Number(value, kU64);
        if (!n || *n == 0) return false;
        k.dropAnswerOfExchanges.insert(*n);
    } else if (name == "unplug") {
        const auto n = Number(value, kU64);
        if (!n) return false;
        k.unplugAfterExchanges = *n;
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool EmulatorFaultList::Apply(const std::string& list, EmulatorKnobs& knobs, std::string& error) {
    EmulatorKnobs changed = knobs;
    std::string_view rest = list;
    for (;;) {
        const size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        if (!ApplyItem(item, changed)) {
            error = item.empty() ? "an empty fault in \"" + list + "\""
                                 : "unknown or malformed fault \"" + std::string(item) +
                                       "\" (busy=N, busy-code=0xNN, refuse=0xCC, refuse-at=0xFIRST-0xLAST, drop=N, unplug=N)";
            return false;
        }
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    knobs = std::move(changed);
    return true;
}

}  // namespace kelvadeck
