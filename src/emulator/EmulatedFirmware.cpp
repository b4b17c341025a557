#include "emulator/EmulatedFirmware.h"

#include <algorithm>
#include <span>

#include "model/Constants.h"

namespace kelvadeck {

namespace {

uint32_t BigEndianAddress(const HidDevice::Report& request) {
    return (uint32_t{request[1]} << 24) | (uint32_t{request[2]} << 16) | (uint32_t{request[3]} << 8) |
           uint32_t{request[4]};
}

HidDevice::Report Status(uint8_t command, uint8_t status) {
    HidDevice::Report answer{};
    answer[0] = command;
    answer[1] = status;
    return answer;
}

}  // namespace

EmulatedFirmware::EmulatedFirmware(EmulatedFlash& flash, EmulatedLiveState& liveState, EmulatorCounters& counters)
    : m_flash(flash), m_liveState(liveState), m_counters(counters) {}

uint8_t EmulatedFirmware::PayloadSize(uint8_t command) {
    switch (command) {
        case CMD_SET_STANDARD_INFO: return Constants::COM_PACKET_SIZE_SET_STANDARD_INFO;
        case CMD_SET_PROFILE_STANDARD_INFO: return Constants::COM_PACKET_SIZE_SET_PROFILE_STANDARD_INFO;
        case CMD_SET_PROFILE_FUNC_INFO: return Constants::COM_PACKET_SIZE_SET_PROFILE_FUNC_INFO;
        case CMD_SET_DIAL_MACRO_INFO: return Constants::COM_PACKET_SIZE_SET_SET_DIAL_MACRO_INFO;
        case CMD_SET_SWITCH_FUNC_INFO: return Constants::COM_PACKET_SIZE_SET_SWITCH_FUNC_INFO;
        case CMD_SET_LED_PREV_INFO: return Constants::COM_PACKET_SIZE_SET_LED_PREV_INFO;
        default: return 0;
    }
}

EmulatedFirmware::Report EmulatedFirmware::Answer(const Report& request, const EmulatorKnobs& knobs) {
    const uint8_t command = request[0];
    switch (command) {
        case CMD_READ: return AnswerRead(request, knobs);
        case CMD_WRITE: return AnswerWrite(request, knobs);
        case CMD_DELETE: return AnswerDelete(request, knobs);
        case CMD_GET_VERSION: return AnswerVersion(knobs);
        default: break;
    }
    if (PayloadSize(command) != 0) return AnswerPayload(request, knobs);
    Report answer{};
    answer[0] = knobs.unknownCommandAnswer;
    return answer;
}

bool EmulatedFirmware::TouchesErrorAddress(const EmulatorKnobs& knobs, uint8_t command, uint64_t begin, uint64_t size) {
    if (!knobs.errorForAddressesCommands.empty() && !knobs.errorForAddressesCommands.contains(command)) return false;
    return std::any_of(knobs.errorForAddresses.begin(), knobs.errorForAddresses.end(),
                       [&](const EmulatorKnobs::AddressRange& range) { return range.Overlaps(begin, size); });
}

EmulatedFirmware::Report EmulatedFirmware::AnswerRead(const Report& request, const EmulatorKnobs& knobs) {
    const uint32_t address = BigEndianAddress(request);
    // The answer has room for 62 data bytes; a larger request gets those.
    const uint32_t wanted = std::min<uint32_t>(request[5], MAX_READ_SIZE);
    Report answer{};
    answer[0] = CMD_READ;
    if (knobs.errorForCommands.contains(CMD_READ) || TouchesErrorAddress(knobs, CMD_READ, address, wanted)) {
        // A read answer has no status byte: a failing read returns no data.
        ++m_counters.errorAnswers;
        return answer;
    }
    const size_t count = m_flash.Read(address, std::span<uint8_t>(answer).subspan(2, wanted));
    answer[1] = static_cast<uint8_t>(count);
    m_counters.flashBytesRead += count;
    return answer;
}

EmulatedFirmware::Report EmulatedFirmware::AnswerWrite(const Report& request, const EmulatorKnobs& knobs) {
    const uint32_t address = BigEndianAddress(request);
    const uint32_t size = request[5];
    if (size == 0 || size > MAX_WRITE_SIZE || address >= EmulatedFlash::SIZE) {
        ++m_counters.errorAnswers;
        return Status(CMD_WRITE, STATUS_BAD_REQUEST);
    }
    if (knobs.errorForCommands.contains(CMD_WRITE) || TouchesErrorAddress(knobs, CMD_WRITE, address, size)) {
        ++m_counters.errorAnswers;
        return Status(CMD_WRITE, knobs.errorStatus);
    }
    // One page-program operation; the chip wraps a run that crosses the page end.
    if (!m_flash.Program(address, std::span<const uint8_t>(request).subspan(6, size))) {
        ++m_counters.errorAnswers;
        return Status(CMD_WRITE, STATUS_BAD_REQUEST);
    }
    ++m_counters.pagesProgrammed;
    m_counters.flashBytesProgrammed += size;
    m_counters.simulatedMicros += knobs.pageProgramMicros;
    return Status(CMD_WRITE, STATUS_OK);
}

EmulatedFirmware::Report EmulatedFirmware::AnswerDelete(const Report& request, const EmulatorKnobs& knobs) {
    // The chip erases the sector that contains the address, aligned or not.
    const uint32_t sector = BigEndianAddress(request) / EmulatedFlash::SECTOR_SIZE;
    if (sector >= EmulatedFlash::SECTOR_NUM) {
        ++m_counters.errorAnswers;
        return Status(CMD_DELETE, STATUS_BAD_REQUEST);
    }
    const uint64_t sectorStart = uint64_t{sector} * EmulatedFlash::SECTOR_SIZE;
    if (knobs.errorForCommands.contains(CMD_DELETE) ||
        TouchesErrorAddress(knobs, CMD_DELETE, sectorStart, EmulatedFlash::SECTOR_SIZE) || !m_flash.EraseSector(sector)) {
        ++m_counters.errorAnswers;
        return Status(CMD_DELETE, knobs.errorStatus);
    }
    ++m_counters.sectorsErased;
    m_counters.simulatedMicros += knobs.sectorEraseMicros;
    return Status(CMD_DELETE, STATUS_OK);
}

EmulatedFirmware::Report EmulatedFirmware::AnswerVersion(const EmulatorKnobs& knobs) {
    Report answer{};
    answer[0] = CMD_GET_VERSION;
    if (knobs.errorForCommands.contains(CMD_GET_VERSION)) {
        ++m_counters.errorAnswers;
        return answer;  // empty text
    }
    // Single-byte characters from byte 1, ended by a 0 byte unless all 63 are used.
    const size_t length = std::min<size_t>(knobs.firmwareVersion.size(), VERSION_MAX_LENGTH);
    std::copy_n(knobs.firmwareVersion.begin(), length, answer.begin() + 1);
    return answer;
}

uint8_t EmulatedFirmware::CheckPayload(const Report& request) const {
    const uint8_t first = request[1];
    const uint8_t second = request[2];
    switch (request[0]) {
        case CMD_SET_PROFILE_STANDARD_INFO:
            return first < Constants::MODE_NUM ? STATUS_OK : STATUS_BAD_REQUEST;
        case CMD_SET_PROFILE_FUNC_INFO:
            return first < Constants::MODE_NUM && second < Constants::FUNCTION_NUM ? STATUS_OK : STATUS_BAD_REQUEST;
        case CMD_SET_DIAL_MACRO_INFO:
            return first < Constants::ENCODER_SCRIPT_NUM ? STATUS_OK : STATUS_BAD_REQUEST;
        case CMD_SET_SWITCH_FUNC_INFO:
            return first < Constants::MODE_NUM && second < Constants::BUTTON_NUM ? STATUS_OK : STATUS_BAD_REQUEST;
        case CMD_SET_LED_PREV_INFO:
            return first == Constants::LED_RGB_COLOR_NUM ? STATUS_OK : STATUS_BAD_REQUEST;
        default:
            return STATUS_OK;
    }
}

EmulatedFirmware::Report EmulatedFirmware::AnswerPayload(const Report& request, const EmulatorKnobs& knobs) {
    const uint8_t command = request[0];
    uint8_t status = CheckPayload(request);
    if (status == STATUS_OK && knobs.errorForCommands.contains(command)) status = knobs.errorStatus;
    if (status != STATUS_OK) ++m_counters.errorAnswers;

    EmulatedLiveState::PayloadReport received;
    received.command = command;
    received.payload.assign(request.begin() + 1, request.begin() + 1 + PayloadSize(command));
    received.status = status;
    m_liveState.RecordPayload(std::move(received));

    if (command == CMD_SET_LED_PREV_INFO && status == STATUS_OK) {
        EmulatedLiveState::LedPreview preview;
        preview.channels = request[1];
        preview.timeMs = static_cast<uint16_t>(request[2] | (request[3] << 8));
        preview.brightness = request[4];
        preview.red = request[5];
        preview.green = request[6];
        preview.blue = request[7];
        m_liveState.RecordLedPreview(preview);
    }
    return Status(command, status);
}

}  // namespace kelvadeck
