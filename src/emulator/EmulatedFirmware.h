#pragma once

#include <cstdint>

#include "device/HidDevice.h"
#include "emulator/EmulatedFlash.h"
#include "emulator/EmulatedLiveState.h"
#include "emulator/EmulatorCounters.h"
#include "emulator/EmulatorKnobs.h"

namespace kelvadeck {

// The Kelvadeck's report handler: takes one 64-byte output report and produces
// the input report that answers it. Byte 0 of a request is the command code,
// flash addresses are big-endian in bytes 1 to 4, lengths in byte 5 and data
// from byte 6. The answer echoes the code in byte 0; byte 1 is a status (0 =
// done), the data length of a read, or the first character of the version.
// Unused answer bytes are 0x00. Works on the flash and live state it is given
// and adds its flash work and simulated time to the counters.
class EmulatedFirmware {
public:
    using Report = HidDevice::Report;

    static constexpr uint8_t CMD_READ = 0x11;
    static constexpr uint8_t CMD_WRITE = 0x12;
    static constexpr uint8_t CMD_DELETE = 0x13;
    static constexpr uint8_t CMD_SET_STANDARD_INFO = 0x34;
    static constexpr uint8_t CMD_SET_PROFILE_STANDARD_INFO = 0x36;
    static constexpr uint8_t CMD_SET_PROFILE_FUNC_INFO = 0x38;
    static constexpr uint8_t CMD_SET_DIAL_MACRO_INFO = 0x3A;
    static constexpr uint8_t CMD_SET_SWITCH_FUNC_INFO = 0x3C;
    static constexpr uint8_t CMD_GET_VERSION = 0x56;
    static constexpr uint8_t CMD_SET_LED_PREV_INFO = 0x64;

    static constexpr uint8_t STATUS_OK = 0;
    // Refusal of a request the firmware cannot carry out as asked (length out
    // of range, address beyond the flash, index that does not exist).
    static constexpr uint8_t STATUS_BAD_REQUEST = 2;

    static constexpr uint32_t MAX_READ_SIZE = 62;   // 64 minus code and length
    static constexpr uint32_t MAX_WRITE_SIZE = 58;  // 64 minus code, address and length
    static constexpr uint32_t VERSION_MAX_LENGTH = 63;

    EmulatedFirmware(EmulatedFlash& flash, EmulatedLiveState& liveState, EmulatorCounters& counters);

    Report Answer(const Report& request, const EmulatorKnobs& knobs);

    // Bytes of payload after the code that a live-update command carries; 0
    // for codes that are not live-update commands.
    static uint8_t PayloadSize(uint8_t command);

private:
    Report AnswerRead(const Report& request, const EmulatorKnobs& knobs);
    Report AnswerWrite(const Report& request, const EmulatorKnobs& knobs);
    Report AnswerDelete(const Report& request, const EmulatorKnobs& knobs);
    Report AnswerVersion(const EmulatorKnobs& knobs);
    Report AnswerPayload(const Report& request, const EmulatorKnobs& knobs);
    uint8_t CheckPayload(const Report& request) const;
    static bool TouchesErrorAddress(const EmulatorKnobs& knobs, uint8_t command, uint64_t begin, uint64_t size);

    EmulatedFlash& m_flash;
    EmulatedLiveState& m_liveState;
    EmulatorCounters& m_counters;
};

}  // namespace kelvadeck
