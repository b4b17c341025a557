#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelvadeck {

// One step of a device job: a read or write of a flash range, a sector erase,
// one settings report, or the firmware version request. The report protocol
// moves it through the device one chunk (one report pair) at a time.
struct ComElem {
    // Command codes; the device echoes them as the answer code.
    static constexpr uint8_t COM_CMD_READ = 0x11;
    static constexpr uint8_t COM_CMD_WRITE = 0x12;
    static constexpr uint8_t COM_CMD_DELETE = 0x13;
    static constexpr uint8_t COM_CMD_SET_STANDARD_INFO = 0x34;
    static constexpr uint8_t COM_CMD_SET_PROFILE_STANDARD_INFO = 0x36;
    static constexpr uint8_t COM_CMD_SET_PROFILE_FUNC_INFO = 0x38;
    static constexpr uint8_t COM_CMD_SET_DIAL_MACRO_INFO = 0x3A;
    static constexpr uint8_t COM_CMD_SET_SWITCH_FUNC_INFO = 0x3C;
    static constexpr uint8_t COM_CMD_GET_VERSION = 0x56;
    static constexpr uint8_t COM_CMD_SET_LED_PREV_INFO = 0x64;

    static constexpr int32_t COM_STATUS_PENDING = 0;
    static constexpr int32_t COM_STATUS_DONE = 2;
    static constexpr int32_t COM_STATUS_ERROR = 3;

    static constexpr uint8_t IO_MODE_NONE = 0;
    static constexpr uint8_t IO_MODE_SECTOR = 1;   // sector buffer nSectorNo at dwSectorAddr
    static constexpr uint8_t IO_MODE_BUFFER = 2;   // pIOBuf, owned by someone else; answers drive progress
    static constexpr uint8_t IO_MODE_PAYLOAD = 3;  // arPayload, owned by the step

    // The version answer is a whole report.
    static constexpr int32_t VERSION_REQ_SIZE = 64;

    uint8_t bSequenceCommandID = 0;
    int32_t nStatus = COM_STATUS_PENDING;
    uint64_t dwFullAddr = 0;
    int32_t nSectorNo = 0;
    uint64_t dwSectorAddr = 0;
    int32_t nReqSize = 0;
    int32_t nRestSize = 0;
    int32_t nSumSize = 0;
    uint8_t bIOMode = IO_MODE_NONE;
    // Mode 2: the caller's buffer and its size in bytes (never written past).
    uint8_t* pIOBuf = nullptr;
    size_t nIOBufSize = 0;
    // Mode 3: the report payload; dropped when the step is done.
    std::vector<uint8_t> arPayload;
    // Steps of one script-sector read share a group: the sector counts as read
    // only when every step of the group has completed (0 = no group).
    uint32_t dwReadGroup = 0;
    // A write step whose device refused one of its chunks: the other chunks are
    // still written, so the refusal costs only those bytes, and the step ends failed.
    bool bChunkFailed = false;

    void Reset() { *this = ComElem{}; }
    void SetStatus(int32_t status) { nStatus = status; }
    bool IsFinished() const { return nStatus == COM_STATUS_DONE || nStatus == COM_STATUS_ERROR; }
};

}  // namespace kelvadeck
