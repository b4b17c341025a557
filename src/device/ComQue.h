#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "device/ComElem.h"
#include "device/DeviceDataStore.h"

namespace kelvadeck {

// The device command queue: every job (boot read, settings write, script
// rewrite, preview, backup, restore, erase) is a first-in first-out list of
// steps. The report protocol (USBHidManager) takes one step at a time, asks
// where its next chunk lies, sends it and accounts the device's answer here.
// Data sources and targets are the data manager's sector buffers and its
// whole-image buffer; no step ever reads or writes outside them.
class ComQue {
public:
    explicit ComQue(DeviceDataStore& dm);
    ComQue(const ComQue&) = delete;
    ComQue& operator=(const ComQue&) = delete;

    // Drops the current step and every pending one.
    void Reset();
    // Appends a step. False (nothing appended) for a step whose range does not
    // fit its buffer or the flash, or a write that spans sectors: such a step
    // could never run safely.
    bool AddQue(ComElem elem);
    // Makes the oldest pending step current. False when nothing is pending.
    bool NextQue();
    bool HasQue() const { return !m_arQue.empty(); }
    // A current step exists and has not finished.
    bool IsCurrentQue() const;
    void ErrorCurrentQue();
    // The device refused the current write chunk: the step goes on with its
    // next chunk (a sector that was erased for a rewrite gets the rest of its
    // scripts back) and ends failed. Other steps fail at once.
    void ErrorCurrentChunk(int32_t chunkBytes);
    // The current step writes into a sector whose erase failed in this job.
    bool CurrentWriteIsOnUnerasedSector() const;

    // Where the next chunk of the current step lies: at most 62 bytes for a read.
    bool GetNextReadInfo(uint64_t& addr, uint8_t& size) const;
    // Before each write chunk: programming 0xFF leaves NOR flash as it is, so
    // the erased-looking bytes at the current write step's progress count as
    // written without a report and the next chunk starts at the first byte
    // that changes the flash. True when that finished the step (nothing left
    // to send). Does nothing while skipping is switched off.
    bool SkipErasedWriteData();
    // The next write chunk: at most 58 bytes and never across a 256-byte page.
    // data must hold at least FM_USB_WRITE_DATA_SIZE bytes.
    bool GetNextWriteInfo(uint64_t& addr, uint8_t& size, uint8_t* data) const;
    // On by default. Off, every chunk of a write is sent as it stands (used to
    // compare a job's flash with the one the unskipped plan produces).
    void SetSkipErasedChunks(bool skip) { m_bSkipErased = skip; }
    bool SkipsErasedChunks() const { return m_bSkipErased; }
    // On by default. Off, the boot read takes the script directory whole, in
    // one step (to compare the model and the cost with the two passes').
    void SetDirectoryHeadsFirst(bool headsFirst) { m_bDirectoryHeadsFirst = headsFirst; }
    // Answers the current step's rest and every pending step will produce when
    // each request is answered at the first try: one per read chunk, per write
    // chunk actually sent, per erase and per single report. Write chunks are
    // planned from the data as it is in the buffers now.
    int64_t PlannedAnswers() const;
    // Accounts an answer of n bytes against the current step.
    bool SetReceiveSize(int32_t n);
    // Copies received read data into the current step's buffer at its
    // progress; never more than the step still needs nor past the buffer.
    // Returns the bytes copied.
    size_t StoreReadData(const uint8_t* src, size_t count);

    const ComElem* pCurrentCI() const { return m_pCurrentCI ? &*m_pCurrentCI : nullptr; }
    const std::deque<ComElem>& arQue() const { return m_arQue; }
    size_t PendingCount() const { return m_arQue.size(); }

    // Job builders. Each appends the steps of one job; true when it appended
    // everything it should (the builders returning nothing in the device's
    // original design report true).
    // The firmware version, the settings blocks and the script directory. The
    // directory is read in two passes: one report per record first (its
    // address, size, mode, name length and the first name bytes), then, once
    // those are in, the rest of each stored script's name as far as its
    // length says. Bytes past a name and records of empty slots are not read:
    // the model decodes the same as from the whole directory, and the
    // encoder writes those bytes as erased, whatever the buffer holds.
    bool CreateBootComQue();
    bool CreateFastWriteComQue();
    // The fast write followed by the live updates of every setting (base,
    // modes, dial functions, dial macros, every switch), so the device works
    // with settings that replace all of its own at once.
    bool CreateAllSettingsWriteComQue();
    bool CreateScriptInfoComQue();
    bool CreateWriteScriptComQue(int scriptNo);
    bool CreateWriteSectorComQue(int sector);
    bool SetDeleteComQue(int sector);
    bool SetFormatComQue();
    bool SetReadSectorComQue(int sector);
    // Reads the stored scripts of data sector s (2..31) into its buffer. The
    // sector's read flag is cleared now and set only once every read of the
    // job has completed; with no stored script there it is set at once and
    // the result is false.
    bool SetReadScriptDataComQue(int sector);
    // The whole flash from and into the whole-image buffer (backup, restore);
    // the write is one step per sector.
    bool SetAllReadSectorComQue();
    bool SetAllWriteSectorComQue();
    bool CreateBaseSettingInfoComQue();
    bool CreateProfileSettingInfoComQue();
    bool CreateFunctionSettingInfoComQue();
    bool CreateDialMacroInfoComQue();
    bool CreateSwitchFunctionSettingInfoComQue(int mode, int switchNo);
    bool SetLedPreview(uint8_t red, uint8_t green, uint8_t blue, uint8_t brightness);

    // The eight blocks of the settings sector that the boot read and the fast
    // write transfer, in order: {address, size}.
    struct Block {
        uint32_t addr;
        int32_t size;
    };
    static const Block* SettingsBlocks(size_t& count);
    // A read into the sector's buffer is still to come or running.
    bool HasReadsInto(int sector) const;
    // The ranges of a sector that pending steps (not the current one) write
    // from its sector buffer, addr counted from the sector's start; empty when
    // an erase of the sector now is not followed by its rewrite.
    std::vector<Block> QueuedWritesInto(int sector) const;

private:
    struct ReadGroup {
        int sector = 0;
        int open = 0;
        bool failed = false;
        // The heads of the script directory's records: once all are in, the
        // rest of the names they announce is read.
        bool directoryHeads = false;
    };

    uint32_t NewReadGroup(ReadGroup group);
    bool AddSectorRead(uint64_t addr, int32_t size, uint32_t group = 0);
    void QueueDirectoryNames();
    bool AddSectorWrite(uint64_t addr, int32_t size);
    bool AddPayload(uint8_t command, std::vector<uint8_t> payload);
    void FinishCurrent(int32_t status);
    uint8_t* StepBuffer(const ComElem& e, size_t& available) const;
    // Bytes from the step's progress `sum` on that a write may skip (0xFF).
    // Size of the write chunk at `sum` bytes into step e: WriteChunkSize, and in
    // a script data sector never across the start or end of a stored script, so
    // a chunk the device refuses costs bytes of one script only.
    int32_t WriteChunkAt(const ComElem& e, int32_t sum) const;
    int32_t ErasedRun(const ComElem& e, int32_t sum) const;
    int64_t PlannedAnswers(const ComElem& e) const;

    DeviceDataStore& m_dm;
    std::optional<ComElem> m_pCurrentCI;
    std::deque<ComElem> m_arQue;
    std::map<uint32_t, ReadGroup> m_readGroups;
    // Sectors whose last erase the device refused: their writes must not run,
    // since programming unerased NOR flash ANDs the new bytes into the old.
    std::set<uint64_t> m_eraseFailedSectors;
    uint32_t m_nextGroup = 1;
    bool m_bSkipErased = true;
    bool m_bDirectoryHeadsFirst = true;
};

}  // namespace kelvadeck
