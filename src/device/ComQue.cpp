#include "device/ComQue.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "model/ByteIO.h"
#include "model/Constants.h"
#include "model/FlashControl.h"

namespace kelvadeck {

namespace {

using FC = FlashControl;
using C = Constants;

constexpr size_t kMaxPayload = 63;  // a report minus its command byte

// The eight settings blocks: device-wide record, per-mode records, dial
// function records, switch and dial catalogue selections, function names,
// encoder scripts (the three the device knows), switch function records.
constexpr ComQue::Block kSettingsBlocks[] = {
    {FC::FM_BASE_SETTING_ST_ADR, FC::FM_BASE_SETTING_SIZE},
    {FC::FM_BASE_MODE_SETTING_ST_ADR, FC::FM_BASE_MODE_SETTING_SIZE * C::MODE_NUM},
    {FC::FM_FUNCTION_SETTING_ST_ADR, FC::FM_FUNCTION_SETTING_SIZE_MODE * C::MODE_NUM},
    {FC::FM_ADR_APP_SW_SETTING, FC::FM_APP_SW_SETTING_SIZE_MODE * C::MODE_NUM},
    {FC::FM_ADR_APP_FUNC_SETTING, FC::FM_APP_FUNC_SETTING_SIZE_MODE * C::MODE_NUM},
    {FC::FM_FUNCTION_NAME_ST_ADR, FC::FM_FUNCTION_NAME_ST_SIZE * C::FUNCTION_NUM * C::MODE_NUM},
    {FC::FM_ENCODER_SCRIPT_ST_ADR, FC::FM_ENCODER_SCRIPT_ST_SIZE * C::ENCODER_SCRIPT_NUM},
    {FC::FM_ADR_SW_FUNCTION_SETTING, FC::FM_SW_FUNCTION_SETTING_SIZE_MODE * C::MODE_NUM},
};

// One read report: the head of a directory record and the first name bytes.
constexpr int32_t kDirectoryHeadRead = static_cast<int32_t>(FC::FM_USB_READ_DATA_SIZE);

// Where the first-pass read of record i starts in the directory: record 0's
// comes with the directory's 16-byte header.
int32_t DirectoryHeadOffset(int index) { return index == 0 ? 0 : FC::ScriptRecordOffset(index); }

bool IsSector(int sector) { return sector >= 0 && sector < static_cast<int>(FC::FM_SECTOR_NUM); }

bool IsPayloadCommand(uint8_t code) {
    switch (code) {
        case ComElem::COM_CMD_SET_STANDARD_INFO:
        case ComElem::COM_CMD_SET_PROFILE_STANDARD_INFO:
        case ComElem::COM_CMD_SET_PROFILE_FUNC_INFO:
        case ComElem::COM_CMD_SET_DIAL_MACRO_INFO:
        case ComElem::COM_CMD_SET_SWITCH_FUNC_INFO:
        case ComElem::COM_CMD_SET_LED_PREV_INFO:
            return true;
        default:
            return false;
    }
}

// A write chunk: at most 58 bytes and, because the device programs 256-byte
// pages, never across a page end.
uint32_t WriteChunkSize(uint64_t addr, int32_t rest) {
    const int32_t r = std::max(rest, 0);
    uint32_t n = r < static_cast<int32_t>(FC::FM_USB_WRITE_DATA_SIZE) ? static_cast<uint32_t>(r) : FC::FM_USB_WRITE_DATA_SIZE;
    const uint32_t toPageEnd = 256 - static_cast<uint32_t>(addr % 256);
    return std::min(n, toPageEnd);
}

int64_t ReadChunks(int32_t rest) {
    const int64_t r = std::max(rest, 0);
    const int64_t chunk = FC::FM_USB_READ_DATA_SIZE;
    return (r + chunk - 1) / chunk;
}

ComElem MakeStep(uint8_t command, uint64_t addr, int32_t size, uint8_t mode) {
    ComElem e;
    e.bSequenceCommandID = command;
    e.dwFullAddr = addr;
    e.nSectorNo = static_cast<int32_t>(addr / FC::FM_SECTOR_SIZE);
    e.dwSectorAddr = addr % FC::FM_SECTOR_SIZE;
    e.nReqSize = size;
    e.nRestSize = size;
    e.nSumSize = 0;
    e.bIOMode = mode;
    return e;
}

}  // namespace

ComQue::ComQue(DeviceDataStore& dm) : m_dm(dm) {}

const ComQue::Block* ComQue::SettingsBlocks(size_t& count) {
    count = std::size(kSettingsBlocks);
    return kSettingsBlocks;
}

void ComQue::Reset() {
    m_pCurrentCI.reset();
    m_arQue.clear();
    // Reads of a script sector that will never complete leave it unread.
    m_readGroups.clear();
    m_eraseFailedSectors.clear();
}

bool ComQue::AddQue(ComElem e) {
    const uint8_t code = e.bSequenceCommandID;
    if (code == ComElem::COM_CMD_READ || code == ComElem::COM_CMD_WRITE) {
        if (e.nReqSize <= 0 || e.dwFullAddr + static_cast<uint64_t>(e.nReqSize) > FC::FM_TOTAL_SIZE) return false;
        // A write stays inside one sector: whether that sector's erase went
        // through decides whether the write may run at all.
        if (code == ComElem::COM_CMD_WRITE &&
            e.dwFullAddr / FC::FM_SECTOR_SIZE != (e.dwFullAddr + static_cast<uint64_t>(e.nReqSize) - 1) / FC::FM_SECTOR_SIZE) {
            return false;
        }
        if (e.bIOMode == ComElem::IO_MODE_SECTOR) {
            if (!IsSector(e.nSectorNo) || e.dwSectorAddr + static_cast<uint64_t>(e.nReqSize) > FC::FM_SECTOR_SIZE) return false;
        } else if (e.bIOMode == ComElem::IO_MODE_BUFFER) {
            if (e.pIOBuf == nullptr || static_cast<size_t>(e.nReqSize) > e.nIOBufSize) return false;
        } else {
            return false;
        }
    } else if (code == ComElem::COM_CMD_DELETE) {
        if (!IsSector(e.nSectorNo)) return false;
    } else if (IsPayloadCommand(code)) {
        if (e.arPayload.size() > kMaxPayload || e.nReqSize != static_cast<int32_t>(e.arPayload.size())) return false;
    }
    // Other codes are taken as they are; the protocol refuses them when it
    // builds their report and fails the step.
    e.nRestSize = e.nReqSize - e.nSumSize;
    if (e.dwReadGroup != 0) {
        auto it = m_readGroups.find(e.dwReadGroup);
        if (it == m_readGroups.end()) return false;
        ++it->second.open;
    }
    m_arQue.push_back(std::move(e));
    return true;
}

bool ComQue::NextQue() {
    if (m_arQue.empty()) return false;
    m_pCurrentCI = std::move(m_arQue.front());
    m_arQue.pop_front();
    return true;
}

bool ComQue::IsCurrentQue() const { return m_pCurrentCI && !m_pCurrentCI->IsFinished(); }

void ComQue::ErrorCurrentQue() {
    if (!m_pCurrentCI) return;
    if (m_pCurrentCI->IsFinished()) {
        m_pCurrentCI->SetStatus(ComElem::COM_STATUS_ERROR);
        return;
    }
    FinishCurrent(ComElem::COM_STATUS_ERROR);
}

std::vector<ComQue::Block> ComQue::QueuedWritesInto(int sector) const {
    std::vector<Block> out;
    for (const ComElem& e : m_arQue) {
        if (e.bSequenceCommandID == ComElem::COM_CMD_WRITE && e.bIOMode == ComElem::IO_MODE_SECTOR && e.nSectorNo == sector) {
            out.push_back(Block{static_cast<uint32_t>(e.dwSectorAddr), e.nReqSize});
        }
    }
    return out;
}

bool ComQue::HasReadsInto(int sector) const {
    const auto readsInto = [sector](const ComElem& e) {
        return e.bSequenceCommandID == ComElem::COM_CMD_READ && e.bIOMode == ComElem::IO_MODE_SECTOR && e.nSectorNo == sector;
    };
    if (IsCurrentQue() && readsInto(*m_pCurrentCI)) return true;
    return std::any_of(m_arQue.begin(), m_arQue.end(), readsInto);
}

bool ComQue::CurrentWriteIsOnUnerasedSector() const {
    if (!IsCurrentQue() || m_pCurrentCI->bSequenceCommandID != ComElem::COM_CMD_WRITE) return false;
    return m_eraseFailedSectors.contains(m_pCurrentCI->dwFullAddr / FC::FM_SECTOR_SIZE);
}

void ComQue::ErrorCurrentChunk(int32_t chunkBytes) {
    if (!IsCurrentQue() || m_pCurrentCI->bSequenceCommandID != ComElem::COM_CMD_WRITE || chunkBytes <= 0) {
        ErrorCurrentQue();
        return;
    }
    m_pCurrentCI->bChunkFailed = true;
    SetReceiveSize(chunkBytes);
}

bool ComQue::GetNextReadInfo(uint64_t& addr, uint8_t& size) const {
    if (!IsCurrentQue()) return false;
    const ComElem& e = *m_pCurrentCI;
    addr = e.dwFullAddr + static_cast<uint64_t>(std::max(e.nSumSize, 0));
    const int32_t rest = std::max(e.nRestSize, 0);
    size = static_cast<uint8_t>(rest < static_cast<int32_t>(FC::FM_USB_READ_DATA_SIZE) ? rest : FC::FM_USB_READ_DATA_SIZE);
    return true;
}

bool ComQue::SkipErasedWriteData() {
    if (!m_bSkipErased || !IsCurrentQue()) return false;
    const ComElem& e = *m_pCurrentCI;
    if (e.bSequenceCommandID != ComElem::COM_CMD_WRITE) return false;
    const int32_t run = ErasedRun(e, e.nSumSize);
    if (run <= 0) return false;
    SetReceiveSize(run);
    return !IsCurrentQue();
}

int32_t ComQue::ErasedRun(const ComElem& e, int32_t sum) const {
    size_t available = 0;
    const uint8_t* src = StepBuffer(e, available);
    const size_t offset = static_cast<size_t>(std::max(sum, 0));
    if (src == nullptr || offset >= available) return 0;
    const size_t rest = std::min(static_cast<size_t>(std::max(e.nReqSize - sum, 0)), available - offset);
    const uint8_t* begin = src + offset;
    const uint8_t* changed = std::find_if(begin, begin + rest, [](uint8_t b) { return b != 0xFF; });
    return static_cast<int32_t>(changed - begin);
}

int64_t ComQue::PlannedAnswers(const ComElem& e) const {
    if (e.IsFinished()) return 0;
    switch (e.bSequenceCommandID) {
        case ComElem::COM_CMD_READ:
            return ReadChunks(e.nReqSize - e.nSumSize);
        case ComElem::COM_CMD_WRITE: {
            // The same chunks, in the same order, that SkipErasedWriteData and
            // GetNextWriteInfo will produce.
            int64_t answers = 0;
            int32_t sum = std::max(e.nSumSize, 0);
            while (sum < e.nReqSize) {
                if (m_bSkipErased) {
                    sum += ErasedRun(e, sum);
                    if (sum >= e.nReqSize) break;
                }
                sum += WriteChunkAt(e, sum);
                ++answers;
            }
            return answers;
        }
        case ComElem::COM_CMD_DELETE:
        case ComElem::COM_CMD_GET_VERSION:
            return 1;
        default:
            return IsPayloadCommand(e.bSequenceCommandID) ? 1 : 0;
    }
}

int64_t ComQue::PlannedAnswers() const {
    int64_t answers = m_pCurrentCI ? PlannedAnswers(*m_pCurrentCI) : 0;
    for (const ComElem& e : m_arQue) answers += PlannedAnswers(e);
    return answers;
}

int32_t ComQue::WriteChunkAt(const ComElem& e, int32_t sum) const {
    int32_t n = static_cast<int32_t>(WriteChunkSize(e.dwFullAddr + static_cast<uint64_t>(sum), e.nReqSize - sum));
    if (e.bIOMode != ComElem::IO_MODE_SECTOR || e.nSectorNo < 2 || !IsSector(e.nSectorNo)) return n;
    const uint64_t offset = e.dwSectorAddr + static_cast<uint64_t>(sum);
    const auto& scripts = m_dm.Scripts();
    for (size_t i = static_cast<size_t>(e.nSectorNo - 2); i < scripts.size(); i += FC::FM_SCRIPT_DATA_SECTOR_NUM) {
        if (scripts[i].dwSaveSize == 0) continue;
        for (const uint64_t edge : {scripts[i].dwSectorAddr, scripts[i].dwSectorAddr + scripts[i].dwSaveSize}) {
            if (edge > offset && edge < offset + static_cast<uint64_t>(n)) n = static_cast<int32_t>(edge - offset);
        }
    }
    return n;
}

bool ComQue::GetNextWriteInfo(uint64_t& addr, uint8_t& size, uint8_t* data) const {
    if (!IsCurrentQue()) return false;
    const ComElem& e = *m_pCurrentCI;
    addr = e.dwFullAddr + static_cast<uint64_t>(std::max(e.nSumSize, 0));
    const uint32_t n = static_cast<uint32_t>(WriteChunkAt(e, std::max(e.nSumSize, 0)));
    size = static_cast<uint8_t>(n);
    size_t available = 0;
    const uint8_t* src = StepBuffer(e, available);
    if (src != nullptr && data != nullptr) {
        const size_t offset = static_cast<size_t>(std::max(e.nSumSize, 0));
        const size_t count = offset < available ? std::min<size_t>(n, available - offset) : 0;
        std::memcpy(data, src + offset, count);
    }
    return true;
}

bool ComQue::SetReceiveSize(int32_t n) {
    if (!IsCurrentQue() || n < 0) return false;
    ComElem& e = *m_pCurrentCI;
    e.nRestSize -= n;
    e.nSumSize += n;
    if (e.nRestSize < 0 || e.nSumSize > e.nReqSize) {
        FinishCurrent(ComElem::COM_STATUS_ERROR);
        return true;
    }
    if (e.nRestSize == 0 || e.nSumSize == e.nReqSize) {
        FinishCurrent(e.bChunkFailed ? ComElem::COM_STATUS_ERROR : ComElem::COM_STATUS_DONE);
    }
    return true;
}

size_t ComQue::StoreReadData(const uint8_t* src, size_t count) {
    if (!IsCurrentQue() || src == nullptr) return 0;
    const ComElem& e = *m_pCurrentCI;
    if (e.bSequenceCommandID != ComElem::COM_CMD_READ) return 0;
    size_t available = 0;
    uint8_t* dst = StepBuffer(e, available);
    if (dst == nullptr) return 0;
    const size_t offset = static_cast<size_t>(std::max(e.nSumSize, 0));
    if (offset >= available) return 0;
    size_t n = std::min(count, available - offset);
    n = std::min(n, static_cast<size_t>(std::max(e.nRestSize, 0)));
    std::memcpy(dst + offset, src, n);
    return n;
}

void ComQue::FinishCurrent(int32_t status) {
    ComElem& e = *m_pCurrentCI;
    e.SetStatus(status);
    const bool done = status == ComElem::COM_STATUS_DONE;
    if (e.bSequenceCommandID == ComElem::COM_CMD_DELETE) {
        const uint64_t sector = e.dwFullAddr / FC::FM_SECTOR_SIZE;
        if (done) {
            m_eraseFailedSectors.erase(sector);
        } else {
            m_eraseFailedSectors.insert(sector);
        }
    }
    if (done && e.bSequenceCommandID == ComElem::COM_CMD_READ && e.bIOMode == ComElem::IO_MODE_SECTOR &&
        e.dwSectorAddr == 0 && e.nReqSize == static_cast<int32_t>(FC::FM_SECTOR_SIZE) && IsSector(e.nSectorNo)) {
        m_dm.SectorReadFromDevice(e.nSectorNo);
    }
    if (done && e.bIOMode == ComElem::IO_MODE_PAYLOAD) {
        e.arPayload.clear();
        e.arPayload.shrink_to_fit();
    }
    if (e.dwReadGroup != 0) {
        auto it = m_readGroups.find(e.dwReadGroup);
        if (it != m_readGroups.end()) {
            it->second.failed = it->second.failed || !done;
            if (--it->second.open <= 0) {
                const ReadGroup group = it->second;
                m_readGroups.erase(it);
                if (!group.failed && group.directoryHeads) {
                    QueueDirectoryNames();
                } else if (!group.failed) {
                    m_dm.SectorReadFromDevice(group.sector);
                }
            }
        }
    }
}

uint8_t* ComQue::StepBuffer(const ComElem& e, size_t& available) const {
    available = 0;
    if (e.bIOMode == ComElem::IO_MODE_SECTOR) {
        if (!IsSector(e.nSectorNo) || e.dwSectorAddr >= FC::FM_SECTOR_SIZE) return nullptr;
        available = FC::FM_SECTOR_SIZE - static_cast<size_t>(e.dwSectorAddr);
        return m_dm.SectorBuffer(e.nSectorNo) + e.dwSectorAddr;
    }
    if (e.bIOMode == ComElem::IO_MODE_BUFFER && e.pIOBuf != nullptr) {
        available = e.nIOBufSize;
        return e.pIOBuf;
    }
    return nullptr;
}

uint32_t ComQue::NewReadGroup(ReadGroup group) {
    const uint32_t id = m_nextGroup++;
    if (m_nextGroup == 0) m_nextGroup = 1;
    m_readGroups[id] = group;
    return id;
}

void ComQue::QueueDirectoryNames() {
    const uint8_t* s1 = m_dm.SectorBuffer(1);
    std::vector<ComElem> reads;
    for (int i = 0; i < C::SCRIPT_NUM; ++i) {
        const int32_t at = FC::ScriptRecordOffset(i);
        const uint8_t* rec = s1 + at;
        if (!FC::IsStoredScriptRecord(ByteIO::ReadLE32(rec + FC::FM_OFSET_SCRIPT_REC_ADR),
                                      ByteIO::ReadLE32(rec + FC::FM_OFSET_SCRIPT_DATA_SIZE), i)) {
            continue;
        }
        const int32_t nameEnd = at + FC::FM_OFSET_SCRIPT_NAME_DATA + FC::ScriptNameBytesUsed(rec[FC::FM_OFSET_SCRIPT_NAME_SIZE]);
        const int32_t readEnd = DirectoryHeadOffset(i) + kDirectoryHeadRead;
        if (nameEnd > readEnd) {
            reads.push_back(MakeStep(ComElem::COM_CMD_READ, FC::FM_ADR_SCRIPT_INFO + static_cast<uint64_t>(readEnd),
                                     nameEnd - readEnd, ComElem::IO_MODE_SECTOR));
        }
    }
    // They finish the read that is running: ahead of anything queued behind it.
    m_arQue.insert(m_arQue.begin(), reads.begin(), reads.end());
}

bool ComQue::AddSectorRead(uint64_t addr, int32_t size, uint32_t group) {
    ComElem e = MakeStep(ComElem::COM_CMD_READ, addr, size, ComElem::IO_MODE_SECTOR);
    e.dwReadGroup = group;
    return AddQue(std::move(e));
}

bool ComQue::AddSectorWrite(uint64_t addr, int32_t size) {
    return AddQue(MakeStep(ComElem::COM_CMD_WRITE, addr, size, ComElem::IO_MODE_SECTOR));
}

bool ComQue::AddPayload(uint8_t command, std::vector<uint8_t> payload) {
    ComElem e = MakeStep(command, 0, static_cast<int32_t>(payload.size()), ComElem::IO_MODE_PAYLOAD);
    e.arPayload = std::move(payload);
    return AddQue(std::move(e));
}

bool ComQue::CreateBootComQue() {
    ComElem version = MakeStep(ComElem::COM_CMD_GET_VERSION, 0, ComElem::VERSION_REQ_SIZE, ComElem::IO_MODE_NONE);
    bool ok = AddQue(std::move(version));
    for (const Block& b : kSettingsBlocks) ok = AddSectorRead(b.addr, b.size) && ok;
    if (!m_bDirectoryHeadsFirst) return AddSectorRead(FC::FM_ADR_SCRIPT_INFO, FC::FM_SCRIPT_INFO_AREA_SIZE) && ok;
    ReadGroup heads;
    heads.sector = 1;
    heads.directoryHeads = true;
    const uint32_t group = NewReadGroup(heads);
    for (int i = 0; i < C::SCRIPT_NUM; ++i) {
        ok = AddSectorRead(FC::FM_ADR_SCRIPT_INFO + static_cast<uint64_t>(DirectoryHeadOffset(i)), kDirectoryHeadRead, group) && ok;
    }
    return ok;
}

bool ComQue::CreateFastWriteComQue() {
    bool ok = SetDeleteComQue(0);
    // The device starts in the first mode after its settings were rewritten.
    m_dm.BaseSettings().bMode = 0;
    for (const Block& b : kSettingsBlocks) ok = AddSectorWrite(b.addr, b.size) && ok;
    return ok;
}

bool ComQue::CreateAllSettingsWriteComQue() {
    bool ok = CreateFastWriteComQue();
    ok = CreateBaseSettingInfoComQue() && ok;
    ok = CreateProfileSettingInfoComQue() && ok;
    ok = CreateFunctionSettingInfoComQue() && ok;
    ok = CreateDialMacroInfoComQue() && ok;
    for (int m = 0; m < C::MODE_NUM; ++m) {
        for (int b = 0; b < C::BUTTON_NUM; ++b) ok = CreateSwitchFunctionSettingInfoComQue(m, b) && ok;
    }
    return ok;
}

bool ComQue::CreateScriptInfoComQue() {
    bool ok = SetDeleteComQue(1);
    return AddSectorWrite(FC::FM_ADR_SCRIPT_INFO, FC::FM_SCRIPT_INFO_AREA_SIZE) && ok;
}

bool ComQue::CreateWriteScriptComQue(int scriptNo) {
    if (scriptNo < 1 || scriptNo > C::SCRIPT_NUM) return false;
    // A script's sector follows from its index alone (2 + index mod 30), so an
    // empty or undecoded directory entry cannot send the erase elsewhere.
    const int sector = FC::ScriptSector(scriptNo - 1);
    bool ok = SetDeleteComQue(sector);
    return CreateWriteSectorComQue(sector) && ok;
}

bool ComQue::CreateWriteSectorComQue(int sector) {
    if (!IsSector(sector)) return false;
    return AddSectorWrite(static_cast<uint64_t>(sector) * FC::FM_SECTOR_SIZE, static_cast<int32_t>(FC::FM_SECTOR_SIZE));
}

bool ComQue::SetDeleteComQue(int sector) {
    if (!IsSector(sector)) return false;
    return AddQue(MakeStep(ComElem::COM_CMD_DELETE, static_cast<uint64_t>(sector) * FC::FM_SECTOR_SIZE,
                           static_cast<int32_t>(FC::FM_SECTOR_SIZE), ComElem::IO_MODE_SECTOR));
}

bool ComQue::SetFormatComQue() {
    bool ok = true;
    for (int s = 0; s < static_cast<int>(FC::FM_SECTOR_NUM); ++s) ok = SetDeleteComQue(s) && ok;
    return ok;
}

bool ComQue::SetReadSectorComQue(int sector) {
    if (!IsSector(sector)) return false;
    return AddSectorRead(static_cast<uint64_t>(sector) * FC::FM_SECTOR_SIZE, static_cast<int32_t>(FC::FM_SECTOR_SIZE));
}

bool ComQue::SetReadScriptDataComQue(int sector) {
    if (sector < 2 || sector >= static_cast<int>(FC::FM_SECTOR_NUM)) return false;
    const uint64_t sectorStart = static_cast<uint64_t>(sector) * FC::FM_SECTOR_SIZE;
    ReadGroup reads;
    reads.sector = sector;
    const uint32_t group = NewReadGroup(reads);
    bool any = false;
    for (int k = 0; k < FC::FM_SCRIPT_DATA_NUM_PER_SECTOR; ++k) {
        const uint8_t index = static_cast<uint8_t>((sector - 2) + FC::FM_SCRIPT_DATA_SECTOR_NUM * k);
        if (index >= C::SCRIPT_NUM) break;
        if (index >= m_dm.Scripts().size()) continue;
        const ScriptElem& sce = m_dm.Scripts()[index];
        if (sce.dwSaveSize == 0) continue;
        // The directory came from the device: read only what lies inside this
        // script's own sector.
        if (sce.dwSaveSize > static_cast<uint64_t>(FC::FM_SCRIPT_DATA_MAX_SIZE) || sce.dwSaveAddress < sectorStart ||
            sce.dwSaveAddress + sce.dwSaveSize > sectorStart + FC::FM_SECTOR_SIZE) {
            continue;
        }
        if (AddSectorRead(sce.dwSaveAddress, static_cast<int32_t>(sce.dwSaveSize), group)) any = true;
    }
    if (!any) {
        m_readGroups.erase(group);
        m_dm.SetSectorReadFlag(sector, true);
        return false;
    }
    // Until every read has completed the buffer mixes old and new bytes.
    m_dm.SetSectorReadFlag(sector, false);
    return true;
}

bool ComQue::SetAllReadSectorComQue() {
    ComElem e = MakeStep(ComElem::COM_CMD_READ, 0, static_cast<int32_t>(FC::FM_TOTAL_SIZE), ComElem::IO_MODE_BUFFER);
    e.pIOBuf = m_dm.WholeImage();
    e.nIOBufSize = FC::FM_TOTAL_SIZE;
    return AddQue(std::move(e));
}

bool ComQue::SetAllWriteSectorComQue() {
    // One write per sector, so that a sector whose erase the device refused
    // is left alone while every other one is written, and the job's result
    // names exactly the sectors that did not take the image.
    bool ok = true;
    for (uint32_t sector = 0; sector < FC::FM_SECTOR_NUM; ++sector) {
        const uint64_t start = static_cast<uint64_t>(sector) * FC::FM_SECTOR_SIZE;
        ComElem e = MakeStep(ComElem::COM_CMD_WRITE, start, static_cast<int32_t>(FC::FM_SECTOR_SIZE), ComElem::IO_MODE_BUFFER);
        e.pIOBuf = m_dm.WholeImage() + start;
        e.nIOBufSize = FC::FM_SECTOR_SIZE;
        ok = AddQue(std::move(e)) && ok;
    }
    return ok;
}

bool ComQue::CreateBaseSettingInfoComQue() {
    const StandardSettingInfo& ssi = m_dm.BaseSettings();
    std::vector<uint8_t> p = {ssi.bMode, ssi.bLEDSleepFlag, ssi.bLEDLampTypeMode,
                              ssi.bLEDLampTypeFunc, ssi.bLEDOffTimer, ssi.bEncoderType};
    static_assert(C::COM_PACKET_SIZE_SET_STANDARD_INFO == 6);
    return AddPayload(ComElem::COM_CMD_SET_STANDARD_INFO, std::move(p));
}

bool ComQue::CreateProfileSettingInfoComQue() {
    const uint8_t* s0 = m_dm.SectorBuffer(0);
    bool ok = true;
    for (int m = 0; m < C::MODE_NUM; ++m) {
        std::vector<uint8_t> p;
        p.reserve(C::COM_PACKET_SIZE_SET_PROFILE_STANDARD_INFO);
        p.push_back(static_cast<uint8_t>(m));
        const uint8_t* rec = s0 + FC::ModeSettingAddress(m);
        p.insert(p.end(), rec, rec + (C::COM_PACKET_SIZE_SET_PROFILE_STANDARD_INFO - 1));
        ok = AddPayload(ComElem::COM_CMD_SET_PROFILE_STANDARD_INFO, std::move(p)) && ok;
    }
    return ok;
}

bool ComQue::CreateFunctionSettingInfoComQue() {
    const uint8_t* s0 = m_dm.SectorBuffer(0);
    bool ok = true;
    for (int m = 0; m < C::MODE_NUM; ++m) {
        for (int f = 0; f < C::FUNCTION_NUM; ++f) {
            std::vector<uint8_t> p;
            p.reserve(C::COM_PACKET_SIZE_SET_PROFILE_FUNC_INFO);
            p.push_back(static_cast<uint8_t>(m));
            p.push_back(static_cast<uint8_t>(f));
            const uint8_t* rec = s0 + FC::DialFunctionAddress(m, f);
            p.insert(p.end(), rec, rec + (C::COM_PACKET_SIZE_SET_PROFILE_FUNC_INFO - 2));
            ok = AddPayload(ComElem::COM_CMD_SET_PROFILE_FUNC_INFO, std::move(p)) && ok;
        }
    }
    return ok;
}

bool ComQue::CreateDialMacroInfoComQue() {
    const uint8_t* s0 = m_dm.SectorBuffer(0);
    for (int k = 0; k < C::ENCODER_SCRIPT_NUM; ++k) {
        if (static_cast<size_t>(k) >= m_dm.DialMacros().size()) return false;  // model not decoded
        const DialMacroInfo& dmi = m_dm.DialMacros()[static_cast<size_t>(k)];
        std::vector<uint8_t> p;
        p.reserve(C::COM_PACKET_SIZE_SET_SET_DIAL_MACRO_INFO);
        p.push_back(static_cast<uint8_t>(k));
        p.push_back(dmi.bDialMacroSetNum);
        p.push_back(dmi.bDialMacroRoopFlag);
        const uint8_t* rec = s0 + FC::EncoderScriptAddress(k) + FC::FM_OFSET_ENCODER_SCRIPT_DATA_TOP;
        p.insert(p.end(), rec, rec + FC::FM_ENCODER_SCRIPT_SCRIPT_MAX_SIZE);
        if (!AddPayload(ComElem::COM_CMD_SET_DIAL_MACRO_INFO, std::move(p))) return false;
    }
    return true;
}

bool ComQue::CreateSwitchFunctionSettingInfoComQue(int mode, int switchNo) {
    if (mode < 0 || mode >= C::MODE_NUM || switchNo < 0 || switchNo >= C::BUTTON_NUM) return false;
    std::vector<uint8_t> p;
    p.reserve(C::COM_PACKET_SIZE_SET_SWITCH_FUNC_INFO);
    p.push_back(static_cast<uint8_t>(mode));
    p.push_back(static_cast<uint8_t>(switchNo));
    const uint8_t* rec = m_dm.SectorBuffer(0) + FC::SwitchFunctionAddress(mode, switchNo);
    p.insert(p.end(), rec, rec + FC::FM_SW_FUNCTION_SETTING_SIZE_FUNC);
    return AddPayload(ComElem::COM_CMD_SET_SWITCH_FUNC_INFO, std::move(p));
}

bool ComQue::SetLedPreview(uint8_t red, uint8_t green, uint8_t blue, uint8_t brightness) {
    // Channel count, preview time in milliseconds (low byte first), level, duties.
    std::vector<uint8_t> p = {static_cast<uint8_t>(C::LED_RGB_COLOR_NUM),
                              static_cast<uint8_t>(C::LED_PREVIEW_TIME & 0xFF),
                              static_cast<uint8_t>((C::LED_PREVIEW_TIME >> 8) & 0xFF),
                              brightness, red, green, blue};
    static_assert(C::COM_PACKET_SIZE_SET_LED_PREV_INFO == 7);
    return AddPayload(ComElem::COM_CMD_SET_LED_PREV_INFO, std::move(p));
}

}  // namespace kelvadeck
