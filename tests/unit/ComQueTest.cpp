#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/DataManager.h"
#include "device/ComElem.h"
#include "device/ComQue.h"
#include "model/FlashControl.h"

namespace kelvadeck {
namespace {

using FC = FlashControl;

struct StepSpec {
    uint8_t code;
    uint64_t addr;
    int32_t size;
    uint8_t mode;
};

void ExpectSteps(const ComQue& que, const std::vector<StepSpec>& want) {
    ASSERT_EQ(que.arQue().size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        const ComElem& e = que.arQue()[i];
        SCOPED_TRACE("step " + std::to_string(i));
        EXPECT_EQ(e.bSequenceCommandID, want[i].code);
        EXPECT_EQ(e.dwFullAddr, want[i].addr);
        EXPECT_EQ(e.nReqSize, want[i].size);
        EXPECT_EQ(e.nRestSize, want[i].size);
        EXPECT_EQ(e.nSumSize, 0);
        EXPECT_EQ(e.bIOMode, want[i].mode);
        EXPECT_EQ(e.nStatus, ComElem::COM_STATUS_PENDING);
        if (want[i].mode == ComElem::IO_MODE_SECTOR) {
            EXPECT_EQ(e.nSectorNo, static_cast<int32_t>(want[i].addr / FC::FM_SECTOR_SIZE));
            EXPECT_EQ(e.dwSectorAddr, want[i].addr % FC::FM_SECTOR_SIZE);
        }
    }
}

constexpr uint8_t R = ComElem::COM_CMD_READ;
constexpr uint8_t W = ComElem::COM_CMD_WRITE;
constexpr uint8_t D = ComElem::COM_CMD_DELETE;
constexpr uint8_t S1 = ComElem::IO_MODE_SECTOR;

const std::vector<StepSpec> kSettingsReads = {
    {R, 0x0000, 8, S1},   {R, 0x0010, 96, S1},  {R, 0x0100, 288, S1}, {R, 0x0300, 495, S1},
    {R, 0x0500, 120, S1}, {R, 0x0600, 768, S1}, {R, 0x0A00, 144, S1}, {R, 0x0B00, 264, S1},
};

TEST(ComQueBuilders, BootReadsVersionSettingsBlocksAndDirectory) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.CreateBootComQue());
    std::vector<StepSpec> want = {{ComElem::COM_CMD_GET_VERSION, 0, 64, ComElem::IO_MODE_NONE}};
    want.insert(want.end(), kSettingsReads.begin(), kSettingsReads.end());
    // One report per directory record (the first with the directory's header).
    want.push_back({R, 0x10000, 62, S1});
    for (uint64_t i = 1; i < 200; ++i) want.push_back({R, 0x10000 + 16 + 272 * i, 62, S1});
    ExpectSteps(que, want);
}

TEST(ComQueBuilders, FastWriteErasesSectorZeroRewritesEightBlocksAndResetsMode) {
    DataManager dm;
    dm.g_pSSI.bMode = 2;
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.CreateFastWriteComQue());
    std::vector<StepSpec> want = {{D, 0, 65536, S1}};
    for (const StepSpec& r : kSettingsReads) want.push_back({W, r.addr, r.size, S1});
    ExpectSteps(que, want);
    EXPECT_EQ(dm.g_pSSI.bMode, 0);
}

TEST(ComQueBuilders, ScriptInfoRewritesTheDirectory) {
    DataManager dm;
    ASSERT_TRUE(dm.pComQue().CreateScriptInfoComQue());
    ExpectSteps(dm.pComQue(), {{D, 0x10000, 65536, S1}, {W, 0x10000, 54416, S1}});
}

TEST(ComQueBuilders, WriteScriptRewritesTheScriptsSector) {
    struct Case {
        int scriptNo;
        int sector;
    };
    for (const Case c : {Case{1, 2}, Case{30, 31}, Case{31, 2}, Case{150, 31}, Case{200, 21}}) {
        DataManager dm;
        SCOPED_TRACE(c.scriptNo);
        ASSERT_TRUE(dm.pComQue().CreateWriteScriptComQue(c.scriptNo));
        const uint64_t a = static_cast<uint64_t>(c.sector) * 0x10000;
        ExpectSteps(dm.pComQue(), {{D, a, 65536, S1}, {W, a, 65536, S1}});
    }
    DataManager dm;
    EXPECT_FALSE(dm.pComQue().CreateWriteScriptComQue(0));
    EXPECT_FALSE(dm.pComQue().CreateWriteScriptComQue(201));
    EXPECT_TRUE(dm.pComQue().arQue().empty());
}

TEST(ComQueBuilders, SectorJobs) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.CreateWriteSectorComQue(5));
    ASSERT_TRUE(que.SetDeleteComQue(31));
    ASSERT_TRUE(que.SetReadSectorComQue(7));
    EXPECT_FALSE(que.SetDeleteComQue(32));
    EXPECT_FALSE(que.SetReadSectorComQue(-1));
    EXPECT_FALSE(que.CreateWriteSectorComQue(32));
    ExpectSteps(que, {{W, 0x50000, 65536, S1}, {D, 0x1F0000, 65536, S1}, {R, 0x70000, 65536, S1}});
}

TEST(ComQueBuilders, FormatErasesAllSectorsInOrder) {
    DataManager dm;
    ASSERT_TRUE(dm.pComQue().SetFormatComQue());
    std::vector<StepSpec> want;
    for (uint64_t s = 0; s < 32; ++s) want.push_back({D, s * 0x10000, 65536, S1});
    ExpectSteps(dm.pComQue(), want);
}

TEST(ComQueBuilders, WholeFlashJobsUseTheWholeImage) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.SetAllReadSectorComQue());
    ASSERT_TRUE(que.SetAllWriteSectorComQue());
    // The read in one step; the write one step per sector, each from its part of the image.
    std::vector<StepSpec> want = {{R, 0, 0x200000, ComElem::IO_MODE_BUFFER}};
    for (uint64_t s = 0; s < 32; ++s) want.push_back({W, s * 0x10000, 0x10000, ComElem::IO_MODE_BUFFER});
    ExpectSteps(que, want);
    for (const ComElem& e : que.arQue()) {
        EXPECT_EQ(e.pIOBuf, dm.WholeImage() + e.dwFullAddr);
        EXPECT_EQ(e.nIOBufSize, static_cast<size_t>(e.nReqSize));
    }
}

TEST(ComQueBuilders, AWriteNeverSpansTwoSectors) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    ComElem e;
    e.bSequenceCommandID = W;
    e.dwFullAddr = 0x1FFF0;
    e.nSectorNo = 1;
    e.dwSectorAddr = 0xFFF0;
    e.nReqSize = 0x20;
    e.bIOMode = ComElem::IO_MODE_BUFFER;
    e.pIOBuf = dm.WholeImage() + e.dwFullAddr;
    e.nIOBufSize = 0x20;
    EXPECT_FALSE(que.AddQue(e));
    e.nReqSize = 0x10;  // up to the sector's last byte
    EXPECT_TRUE(que.AddQue(e));
}

TEST(ComQueBuilders, PayloadsCarryTheSettingsAsEncoded) {
    DataManager dm;
    uint8_t* s0 = dm.SectorBuffer(0);
    for (uint32_t i = 0; i < 0x0C08; ++i) s0[i] = static_cast<uint8_t>(i * 13 + 1);
    dm.g_pSSI.bMode = 1;
    dm.g_pSSI.bLEDSleepFlag = 2;
    dm.g_pSSI.bLEDLampTypeMode = 3;
    dm.g_pSSI.bLEDLampTypeFunc = 4;
    dm.g_pSSI.bLEDOffTimer = 5;
    dm.g_pSSI.bEncoderType = 6;
    dm.g_arDMI.resize(3);
    for (int k = 0; k < 3; ++k) {
        dm.g_arDMI[k].bDialMacroSetNum = static_cast<uint8_t>(10 + k);
        dm.g_arDMI[k].bDialMacroRoopFlag = static_cast<uint8_t>(k & 1);
    }
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.CreateBaseSettingInfoComQue());
    ASSERT_TRUE(que.CreateProfileSettingInfoComQue());
    ASSERT_TRUE(que.CreateFunctionSettingInfoComQue());
    ASSERT_TRUE(que.CreateDialMacroInfoComQue());
    ASSERT_TRUE(que.CreateSwitchFunctionSettingInfoComQue(2, 10));
    ASSERT_TRUE(que.SetLedPreview(100, 0, 50, 1));
    ASSERT_EQ(que.arQue().size(), 1u + 3 + 12 + 3 + 1 + 1);

    auto expectPayload = [](const ComElem& e, uint8_t code, const std::vector<uint8_t>& bytes) {
        EXPECT_EQ(e.bSequenceCommandID, code);
        EXPECT_EQ(e.bIOMode, ComElem::IO_MODE_PAYLOAD);
        EXPECT_EQ(e.dwFullAddr, 0u);
        EXPECT_EQ(e.nSectorNo, 0);
        EXPECT_EQ(e.nReqSize, static_cast<int32_t>(bytes.size()));
        EXPECT_EQ(e.arPayload, bytes);
    };
    size_t i = 0;
    expectPayload(que.arQue()[i++], 0x34, {1, 2, 3, 4, 5, 6});
    for (int m = 0; m < 3; ++m) {
        std::vector<uint8_t> p = {static_cast<uint8_t>(m)};
        const uint8_t* rec = s0 + 0x10 + m * 32;
        p.insert(p.end(), rec, rec + 29);
        expectPayload(que.arQue()[i++], 0x36, p);
    }
    for (int m = 0; m < 3; ++m) {
        for (int f = 0; f < 4; ++f) {
            std::vector<uint8_t> p = {static_cast<uint8_t>(m), static_cast<uint8_t>(f)};
            const uint8_t* rec = s0 + 0x100 + m * 96 + f * 24;
            p.insert(p.end(), rec, rec + 22);
            expectPayload(que.arQue()[i++], 0x38, p);
        }
    }
    for (int k = 0; k < 3; ++k) {
        std::vector<uint8_t> p = {static_cast<uint8_t>(k), static_cast<uint8_t>(10 + k), static_cast<uint8_t>(k & 1)};
        const uint8_t* rec = s0 + 0x0A00 + k * 48 + 16;
        p.insert(p.end(), rec, rec + 32);
        expectPayload(que.arQue()[i++], 0x3A, p);
    }
    {
        std::vector<uint8_t> p = {2, 10};
        const uint8_t* rec = s0 + 0x0B00 + 2 * 88 + 10 * 8;
        p.insert(p.end(), rec, rec + 8);
        expectPayload(que.arQue()[i++], 0x3C, p);
    }
    expectPayload(que.arQue()[i++], 0x64, {0x03, 0x20, 0x4E, 0x01, 100, 0, 50});
}

TEST(ComQueBuilders, PayloadBuildersRefuseWhatTheyCannotBuild) {
    DataManager dm;  // no decoded dial macros
    ComQue& que = dm.pComQue();
    EXPECT_FALSE(que.CreateDialMacroInfoComQue());
    EXPECT_FALSE(que.CreateSwitchFunctionSettingInfoComQue(3, 0));
    EXPECT_FALSE(que.CreateSwitchFunctionSettingInfoComQue(0, 11));
    EXPECT_FALSE(que.CreateSwitchFunctionSettingInfoComQue(-1, 0));
    EXPECT_TRUE(que.arQue().empty());
}

// Script slots with distinguishable sizes: index i stores i + 1 bytes at the
// start of its sector, so the step sizes tell which indices a read considered.
void FillDirectory(DataManager& dm) {
    dm.g_arSCE.assign(200, ScriptElem{});
    for (int i = 0; i < 200; ++i) {
        ScriptElem& e = dm.g_arSCE[static_cast<size_t>(i)];
        e.nSectorNo = FC::ScriptSector(i);
        e.dwSectorAddr = static_cast<uint64_t>(i) * 16;
        e.dwSaveAddress = static_cast<uint64_t>(e.nSectorNo) * 0x10000 + e.dwSectorAddr;
        e.dwSaveSize = static_cast<uint64_t>(i) + 1;
    }
}

TEST(ComQueReadScript, ConsidersTheSlotsOfItsSector) {
    struct Case {
        int sector;
        std::vector<int> indices;
    };
    for (const Case& c : {Case{2, {0, 30, 60, 90, 120, 150, 180}}, Case{21, {19, 49, 79, 109, 139, 169, 199}},
                          Case{31, {29, 59, 89, 119, 149, 179}}}) {
        SCOPED_TRACE(c.sector);
        DataManager dm;
        FillDirectory(dm);
        ASSERT_TRUE(dm.pComQue().SetReadScriptDataComQue(c.sector));
        std::vector<StepSpec> want;
        for (int i : c.indices) {
            want.push_back({R, static_cast<uint64_t>(c.sector) * 0x10000 + static_cast<uint64_t>(i) * 16, i + 1, S1});
        }
        ExpectSteps(dm.pComQue(), want);
    }
}

TEST(ComQueReadScript, EmptySectorIsMarkedReadAtOnceAndReportsFalse) {
    DataManager dm;
    FillDirectory(dm);
    for (int i = 3; i < 200; i += 30) dm.g_arSCE[static_cast<size_t>(i)].dwSaveSize = 0;
    EXPECT_FALSE(dm.pComQue().SetReadScriptDataComQue(5));
    EXPECT_TRUE(dm.pComQue().arQue().empty());
    EXPECT_TRUE(dm.SectorReadFlag(5));
}

TEST(ComQueReadScript, SectorIsMarkedReadOnlyWhenEveryReadCompleted) {
    DataManager dm;
    FillDirectory(dm);
    dm.SetSectorReadFlag(2, true);  // an earlier read: the new one replaces it
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.SetReadScriptDataComQue(2));
    EXPECT_FALSE(dm.SectorReadFlag(2));
    const size_t steps = que.arQue().size();
    for (size_t i = 0; i < steps; ++i) {
        ASSERT_TRUE(que.NextQue());
        EXPECT_FALSE(dm.SectorReadFlag(2));
        ASSERT_TRUE(que.SetReceiveSize(que.pCurrentCI()->nReqSize));
    }
    EXPECT_TRUE(dm.SectorReadFlag(2));
}

TEST(ComQueReadScript, AFailedReadLeavesTheSectorUnread) {
    DataManager dm;
    FillDirectory(dm);
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.SetReadScriptDataComQue(3));
    ASSERT_TRUE(que.NextQue());
    que.ErrorCurrentQue();
    while (que.NextQue()) que.SetReceiveSize(que.pCurrentCI()->nReqSize);
    EXPECT_FALSE(dm.SectorReadFlag(3));
}

TEST(ComQueReadScript, AResetQueueLeavesTheSectorUnread) {
    DataManager dm;
    FillDirectory(dm);
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.SetReadScriptDataComQue(4));
    ASSERT_TRUE(que.NextQue());
    que.SetReceiveSize(que.pCurrentCI()->nReqSize);
    que.Reset();
    EXPECT_FALSE(dm.SectorReadFlag(4));
}

TEST(ComQueReadScript, DirectoryEntriesOutsideTheSectorAreNotRead) {
    DataManager dm;
    FillDirectory(dm);
    dm.g_arSCE[0].dwSaveAddress = 0x30000;            // another sector
    dm.g_arSCE[30].dwSaveAddress = 0x2FFF0;           // runs past the sector's end
    dm.g_arSCE[30].dwSaveSize = 0x20;
    dm.g_arSCE[60].dwSaveSize = FC::FM_SCRIPT_DATA_MAX_SIZE + 1;  // too big for a script
    ASSERT_TRUE(dm.pComQue().SetReadScriptDataComQue(2));
    EXPECT_EQ(dm.pComQue().arQue().size(), 4u);
    for (const ComElem& e : dm.pComQue().arQue()) {
        EXPECT_LE(e.dwSectorAddr + static_cast<uint64_t>(e.nReqSize), FC::FM_SECTOR_SIZE);
    }
    EXPECT_FALSE(dm.pComQue().SetReadScriptDataComQue(1));
    EXPECT_FALSE(dm.pComQue().SetReadScriptDataComQue(32));
}

TEST(ComQueChunks, ReadsAreCutInto62ByteChunks) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    ComElem e;
    e.bSequenceCommandID = R;
    e.dwFullAddr = 0x10;
    e.nSectorNo = 0;
    e.dwSectorAddr = 0x10;
    e.nReqSize = 62 * 2 + 61;
    e.bIOMode = S1;
    ASSERT_TRUE(que.AddQue(e));
    ASSERT_TRUE(que.NextQue());
    std::vector<std::pair<uint64_t, uint8_t>> chunks;
    uint64_t addr = 0;
    uint8_t size = 0;
    while (que.GetNextReadInfo(addr, size)) {
        chunks.emplace_back(addr, size);
        ASSERT_TRUE(que.SetReceiveSize(size));
    }
    const std::vector<std::pair<uint64_t, uint8_t>> want = {{0x10, 62}, {0x10 + 62, 62}, {0x10 + 124, 61}};
    EXPECT_EQ(chunks, want);
    EXPECT_EQ(que.pCurrentCI()->nStatus, ComElem::COM_STATUS_DONE);
}

TEST(ComQueChunks, WritesStopAtPageBoundaries) {
    DataManager dm;
    uint8_t* s0 = dm.SectorBuffer(0);
    for (int i = 0; i < 0x200; ++i) s0[i] = static_cast<uint8_t>(i);
    ComQue& que = dm.pComQue();
    ComElem e;
    e.bSequenceCommandID = W;
    e.dwFullAddr = 0x00FC;
    e.dwSectorAddr = 0x00FC;
    e.nReqSize = 58 + 10;
    e.bIOMode = S1;
    ASSERT_TRUE(que.AddQue(e));
    ASSERT_TRUE(que.NextQue());
    uint64_t addr = 0;
    uint8_t size = 0;
    uint8_t data[58];
    ASSERT_TRUE(que.GetNextWriteInfo(addr, size, data));
    EXPECT_EQ(addr, 0x00FCu);
    EXPECT_EQ(size, 4);
    EXPECT_EQ(data[0], 0xFC);
    EXPECT_EQ(data[3], 0xFF);
    ASSERT_TRUE(que.SetReceiveSize(size));
    ASSERT_TRUE(que.GetNextWriteInfo(addr, size, data));
    EXPECT_EQ(addr, 0x0100u);
    EXPECT_EQ(size, 58);
    EXPECT_EQ(data[0], 0x00);
    EXPECT_EQ(data[57], 57);
    ASSERT_TRUE(que.SetReceiveSize(size));
    ASSERT_TRUE(que.GetNextWriteInfo(addr, size, data));
    EXPECT_EQ(addr, 0x0100u + 58);
    EXPECT_EQ(size, 6);
}

TEST(ComQueChunks, WholeImageWriteIsFiveChunksPerPage) {
    DataManager dm;
    uint8_t* img = dm.WholeImage();
    for (uint32_t i = 0; i < FC::FM_TOTAL_SIZE; ++i) img[i] = static_cast<uint8_t>(i ^ (i >> 9));
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.SetAllWriteSectorComQue());
    uint64_t addr = 0;
    uint8_t size = 0;
    uint8_t data[58];
    uint64_t chunks = 0;
    uint64_t expectAddr = 0;
    while (que.NextQue()) {
        while (que.GetNextWriteInfo(addr, size, data)) {
            ASSERT_EQ(addr, expectAddr);
            const uint8_t want = (addr % 256) == 232 ? 24 : 58;
            ASSERT_EQ(size, want) << "at " << addr;
            ASSERT_EQ(0, std::memcmp(data, img + addr, size));
            ASSERT_TRUE(que.SetReceiveSize(size));
            expectAddr += size;
            ++chunks;
        }
    }
    EXPECT_EQ(chunks, 40960u);
    EXPECT_EQ(expectAddr, FC::FM_TOTAL_SIZE);
}

// Drives the current write step as the protocol does: skip, take a chunk,
// account it. Returns the chunks sent as {address, size}.
std::vector<std::pair<uint64_t, uint8_t>> SendAll(ComQue& que) {
    std::vector<std::pair<uint64_t, uint8_t>> sent;
    uint64_t addr = 0;
    uint8_t size = 0;
    uint8_t data[58];
    while (que.IsCurrentQue()) {
        if (que.SkipErasedWriteData()) break;
        if (!que.GetNextWriteInfo(addr, size, data)) break;
        sent.emplace_back(addr, size);
        que.SetReceiveSize(size);
    }
    return sent;
}

ComElem SectorWrite(uint64_t addr, int32_t size) {
    ComElem e;
    e.bSequenceCommandID = W;
    e.dwFullAddr = addr;
    e.nSectorNo = static_cast<int32_t>(addr / FC::FM_SECTOR_SIZE);
    e.dwSectorAddr = addr % FC::FM_SECTOR_SIZE;
    e.nReqSize = size;
    e.bIOMode = S1;
    return e;
}

TEST(ComQueErasedChunks, ChunksStartAtTheFirstByteThatChangesTheFlash) {
    DataManager dm;
    uint8_t* s2 = dm.SectorBuffer(2);
    s2[10] = 0x01;   // one byte: one chunk from there
    s2[300] = 0x02;  // 0x12C..0x165 fits the page
    s2[0x1F0] = 0x03;  // 16 bytes to the page end, then the next page
    s2[0x205] = 0x04;
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.AddQue(SectorWrite(0x20000, 0x300)));
    EXPECT_EQ(que.PlannedAnswers(), 4);
    ASSERT_TRUE(que.NextQue());
    const auto sent = SendAll(que);
    const std::vector<std::pair<uint64_t, uint8_t>> want = {
        {0x2000A, 58}, {0x2012C, 58}, {0x201F0, 16}, {0x20205, 58}};
    EXPECT_EQ(sent, want);
    EXPECT_EQ(que.pCurrentCI()->nStatus, ComElem::COM_STATUS_DONE);
    EXPECT_EQ(que.pCurrentCI()->nSumSize, 0x300);
}

TEST(ComQueErasedChunks, AStepOfErasedBytesFinishesWithoutAChunk) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.CreateWriteSectorComQue(7));
    EXPECT_EQ(que.PlannedAnswers(), 0);
    ASSERT_TRUE(que.NextQue());
    EXPECT_TRUE(que.SkipErasedWriteData());
    EXPECT_FALSE(que.IsCurrentQue());
    EXPECT_EQ(que.pCurrentCI()->nStatus, ComElem::COM_STATUS_DONE);
}

TEST(ComQueErasedChunks, SkippingOffSendsEveryChunkAndReadsAreNeverSkipped) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    que.SetSkipErasedChunks(false);
    ASSERT_TRUE(que.CreateWriteSectorComQue(7));
    EXPECT_EQ(que.PlannedAnswers(), 1280);  // five chunks per 256-byte page
    ASSERT_TRUE(que.NextQue());
    EXPECT_FALSE(que.SkipErasedWriteData());
    EXPECT_EQ(SendAll(que).size(), 1280u);
    que.SetSkipErasedChunks(true);
    ASSERT_TRUE(que.SetReadSectorComQue(7));
    EXPECT_EQ(que.PlannedAnswers(), 1058);  // 65,536 / 62, rounded up
    ASSERT_TRUE(que.NextQue());
    EXPECT_FALSE(que.SkipErasedWriteData());
    EXPECT_TRUE(que.IsCurrentQue());
}

TEST(ComQueErasedChunks, NeverMoreChunksThanThePlainPlanAndThePlanIsExact) {
    std::mt19937 rng(3);
    for (int round = 0; round < 200; ++round) {
        DataManager dm;
        uint8_t* s = dm.SectorBuffer(4);
        const int density = static_cast<int>(rng() % 60);
        for (size_t i = 0; i < 2048; ++i) {
            if (static_cast<int>(rng() % 100) < density) s[i] = static_cast<uint8_t>(rng());
        }
        const uint32_t start = rng() % 300;
        const int32_t size = static_cast<int32_t>(1 + rng() % 1700);
        ComQue& que = dm.pComQue();
        ASSERT_TRUE(que.AddQue(SectorWrite(0x40000 + start, size)));
        const int64_t planned = que.PlannedAnswers();
        que.SetSkipErasedChunks(false);
        const int64_t plain = que.PlannedAnswers();
        que.SetSkipErasedChunks(true);
        ASSERT_TRUE(que.NextQue());
        const auto sent = SendAll(que);
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(static_cast<int64_t>(sent.size()), planned);
        ASSERT_LE(planned, plain);
        // Every byte that changes the flash is in a chunk; chunks stay in their page.
        std::vector<bool> covered(static_cast<size_t>(size), false);
        for (const auto& [addr, n] : sent) {
            ASSERT_LE(n, 58);
            ASSERT_EQ(addr / 256, (addr + n - 1) / 256);
            for (uint64_t a = addr; a < addr + n; ++a) covered[a - 0x40000 - start] = true;
        }
        for (int32_t i = 0; i < size; ++i) {
            if (s[start + static_cast<uint32_t>(i)] != 0xFF) {
                ASSERT_TRUE(covered[static_cast<size_t>(i)]) << i;
            }
        }
    }
}

TEST(ComQueAccounting, ZeroLeavesTheStepPendingAndOverrunFailsIt) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    EXPECT_FALSE(que.SetReceiveSize(1));  // no current step
    ASSERT_TRUE(que.SetReadSectorComQue(3));
    ASSERT_TRUE(que.NextQue());
    ASSERT_TRUE(que.SetReceiveSize(0));
    EXPECT_EQ(que.pCurrentCI()->nStatus, ComElem::COM_STATUS_PENDING);
    EXPECT_EQ(que.pCurrentCI()->nRestSize, 65536);
    EXPECT_EQ(que.pCurrentCI()->nSumSize, 0);
    ASSERT_TRUE(que.SetReceiveSize(65530));
    EXPECT_TRUE(que.IsCurrentQue());
    ASSERT_TRUE(que.SetReceiveSize(7));  // one byte too many
    EXPECT_EQ(que.pCurrentCI()->nStatus, ComElem::COM_STATUS_ERROR);
    EXPECT_FALSE(que.IsCurrentQue());
    EXPECT_FALSE(dm.SectorReadFlag(3));
    EXPECT_FALSE(que.SetReceiveSize(1));
}

TEST(ComQueAccounting, AWholeSectorReadMarksItsSectorRead) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.SetReadSectorComQue(9));
    ASSERT_TRUE(que.NextQue());
    ASSERT_TRUE(que.SetReceiveSize(65535));
    EXPECT_FALSE(dm.SectorReadFlag(9));
    ASSERT_TRUE(que.SetReceiveSize(1));
    EXPECT_TRUE(dm.SectorReadFlag(9));
}

TEST(ComQueAccounting, PayloadIsDroppedWhenDone) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.SetLedPreview(1, 2, 3, 0));
    ASSERT_TRUE(que.NextQue());
    ASSERT_TRUE(que.SetReceiveSize(7));
    EXPECT_EQ(que.pCurrentCI()->nStatus, ComElem::COM_STATUS_DONE);
    EXPECT_TRUE(que.pCurrentCI()->arPayload.empty());
}

TEST(ComQueAccounting, StoredReadDataStaysInsideTheStep) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    ComElem e;
    e.bSequenceCommandID = R;
    e.dwFullAddr = 0xFFF0;
    e.dwSectorAddr = 0xFFF0;
    e.nReqSize = 16;
    e.bIOMode = S1;
    ASSERT_TRUE(que.AddQue(e));
    ASSERT_TRUE(que.NextQue());
    uint8_t src[62];
    std::memset(src, 0xAB, sizeof src);
    EXPECT_EQ(que.StoreReadData(src, sizeof src), 16u);  // the step's end is the sector's end
    EXPECT_EQ(dm.SectorBuffer(0)[0xFFFF], 0xAB);
    EXPECT_EQ(dm.SectorBuffer(1)[0], 0xFF);
}

TEST(ComQueAccounting, StepsThatCannotRunSafelyAreRefused) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    ComElem e;
    e.bSequenceCommandID = R;
    e.dwFullAddr = 0xFFF0;
    e.dwSectorAddr = 0xFFF0;
    e.nReqSize = 17;  // past the sector buffer
    e.bIOMode = S1;
    EXPECT_FALSE(que.AddQue(e));
    e.nReqSize = 0;
    EXPECT_FALSE(que.AddQue(e));
    e.nReqSize = 4;
    e.bIOMode = ComElem::IO_MODE_BUFFER;  // without a buffer
    EXPECT_FALSE(que.AddQue(e));
    EXPECT_TRUE(que.arQue().empty());
}

TEST(ComQueAccounting, ResetDropsCurrentAndPending) {
    DataManager dm;
    ComQue& que = dm.pComQue();
    ASSERT_TRUE(que.CreateBootComQue());
    ASSERT_TRUE(que.NextQue());
    que.Reset();
    EXPECT_FALSE(que.IsCurrentQue());
    EXPECT_FALSE(que.HasQue());
    EXPECT_EQ(que.pCurrentCI(), nullptr);
}

TEST(ComQueAccounting, DataManagerResetEmptiesTheQueue) {
    DataManager dm;
    ASSERT_TRUE(dm.pComQue().SetFormatComQue());
    dm.ResetMember(false);
    EXPECT_FALSE(dm.pComQue().HasQue());
}

}  // namespace
}  // namespace kelvadeck
