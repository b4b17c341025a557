#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/DataManager.h"
#include "model/ByteIO.h"

using namespace kelvadeck;
using C = Constants;
using F = FlashControl;

namespace {

std::vector<uint8_t> Sector(const DataManager& dm, int n) {
    return std::vector<uint8_t>(dm.SectorBuffer(n), dm.SectorBuffer(n) + F::FM_SECTOR_SIZE);
}

MacroCreator Script(size_t size, uint8_t fill) {
    MacroCreator m;
    m.pbRawData = std::vector<uint8_t>(size, fill);
    m.dwTotalSize = size;
    return m;
}

// Fills sectors 0 and 1 with a valid, fully used image from a seed: every value
// in range and every dial selection the one the decoder recovers from its action.
void FillValidImage(DataManager& dm, unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<uint8_t>(rng() % static_cast<unsigned>(n)); };
    uint8_t* s0 = dm.SectorBuffer(0);
    uint8_t* s1 = dm.SectorBuffer(1);
    s0[0] = pick(3);
    s0[1] = pick(2);
    s0[2] = pick(2);
    s0[3] = pick(3);
    s0[4] = pick(181);
    s0[5] = pick(2);
    for (int m = 0; m < 3; ++m) {
        uint8_t* rec = s0 + F::ModeSettingAddress(m);
        for (int b = 0; b < 11; ++b) rec[b] = pick(201);
        for (int b = 0; b < 11; ++b) rec[11 + b] = pick(14);
        rec[22] = pick(4);
        rec[23] = pick(256);
        rec[24] = pick(2);
        for (int k = 25; k < 28; ++k) rec[k] = pick(101);
        rec[28] = pick(3);
        for (int f = 0; f < 4; ++f) {
            uint8_t* frec = s0 + F::DialFunctionAddress(m, f);
            uint8_t* sel = s0 + F::DialSelectionAddress(m, f);
            for (int dir = 0; dir < 2; ++dir) {
                // Keyboard keys: the decoder recovers category key, position 2.
                uint8_t* action = frec + dir * 8;
                std::memset(action, 0, 8);
                action[0] = C::SET_TYPE_KEYBOARD_KEY;
                action[1] = pick(256);
                action[2] = static_cast<uint8_t>(4 + pick(20));
                action[7] = static_cast<uint8_t>(1 + pick(100));
                uint8_t* s = sel + dir * 5;
                s[0] = C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY;
                s[1] = 0;
                s[2] = 2;
            }
            for (int k = 16; k < 18; ++k) frec[k] = pick(256);
            for (int k = 18; k < 21; ++k) frec[k] = pick(101);
            frec[21] = pick(3);
            uint8_t* name = s0 + F::FunctionNameAddress(m, f);
            const uint8_t units = pick(32);
            name[0] = static_cast<uint8_t>(units * 2);
            for (int k = 0; k < units * 2; ++k) name[1 + k] = pick(256);
        }
        for (int b = 0; b < 11; ++b) {
            uint8_t* sel = s0 + F::SwitchSelectionAddress(m, b);
            for (int k = 0; k < 3; ++k) sel[k] = pick(256);
            uint8_t* action = s0 + F::SwitchFunctionAddress(m, b);
            for (int k = 0; k < 8; ++k) action[k] = pick(256);
        }
    }
    for (int k = 0; k < 4; ++k) {
        uint8_t* rec = s0 + F::EncoderScriptAddress(k);
        rec[0] = pick(33);
        rec[1] = pick(2);
        for (int i = 0; i < 32; ++i) rec[16 + i] = pick(200);
    }
    uint32_t total = 0;
    uint8_t count = 0;
    std::vector<uint32_t> offsets(30, 0);
    for (int i = 0; i < 200; ++i) {
        if (pick(3) != 0) continue;
        const int sector = F::ScriptSector(i);
        const uint32_t size = 1 + pick(200);
        uint8_t* rec = s1 + F::ScriptRecordOffset(i);
        ByteIO::WriteLE32(rec, static_cast<uint32_t>(sector * 0x10000) + offsets[static_cast<size_t>(sector - 2)]);
        ByteIO::WriteLE32(rec + 4, size);
        rec[8] = pick(4);
        const uint8_t units = pick(127);
        rec[9] = static_cast<uint8_t>(units * 2);
        for (int k = 0; k < units * 2; ++k) rec[10 + k] = pick(256);
        offsets[static_cast<size_t>(sector - 2)] += size;
        total += size;
        ++count;
    }
    s1[0] = pick(256);
    s1[1] = pick(256);
    s1[2] = count;
    ByteIO::WriteLE32(s1 + 4, total);
}

}  // namespace

TEST(DataManagerEncode, NothingWithoutADecodedModel) {
    DataManager dm;
    const auto before = Sector(dm, 0);
    EXPECT_FALSE(dm.DataOutputToMemory());
    EXPECT_EQ(Sector(dm, 0), before);
}

TEST(DataManagerEncode, FreshlyDecodedValidImageIsReproducedByteForByte) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        DataManager dm;
        FillValidImage(dm, seed);
        const auto s0 = Sector(dm, 0);
        const auto s1 = Sector(dm, 1);
        ASSERT_TRUE(dm.DataInitializeFromMemory());
        ASSERT_TRUE(dm.DataOutputToMemory());
        EXPECT_EQ(Sector(dm, 0), s0) << "seed " << seed;
        EXPECT_EQ(Sector(dm, 1), s1) << "seed " << seed;
    }
}

TEST(DataManagerEncode, ModelRoundTripsThroughTheImage) {
    for (unsigned seed = 100; seed < 110; ++seed) {
        DataManager a;
        FillValidImage(a, seed);
        ASSERT_TRUE(a.DataInitializeFromMemory());
        // Edit the model, encode, decode the result in a second manager.
        a.g_arPSI[2].arDialFuncElemList[1].strFunctionName = u"Zoom \u65e5\u672c";
        a.g_arPSI[0].bLEDDutyR = 42;
        a.g_arDMI[2].bDialMacroSetNum = 3;
        ASSERT_TRUE(a.DataOutputToMemory());
        DataManager b;
        std::memcpy(b.SectorBuffer(0), a.SectorBuffer(0), F::FM_SECTOR_SIZE);
        std::memcpy(b.SectorBuffer(1), a.SectorBuffer(1), F::FM_SECTOR_SIZE);
        ASSERT_TRUE(b.DataInitializeFromMemory());
        EXPECT_EQ(b.g_pSSI, a.g_pSSI);
        EXPECT_EQ(b.g_arPSI, a.g_arPSI) << "seed " << seed;
        EXPECT_EQ(b.g_arDMI, a.g_arDMI);
        EXPECT_EQ(b.g_pSCTI, a.g_pSCTI);
        for (size_t i = 0; i < 200; ++i) {
            EXPECT_EQ(b.g_arSCE[i].dwSaveAddress, a.g_arSCE[i].dwSaveAddress);
            EXPECT_EQ(b.g_arSCE[i].dwSaveSize, a.g_arSCE[i].dwSaveSize);
            EXPECT_EQ(b.g_arSCE[i].strScriptName, a.g_arSCE[i].strScriptName);
            EXPECT_EQ(b.g_arSCE[i].bScriptMode, a.g_arSCE[i].bScriptMode);
        }
    }
}

TEST(DataManagerEncode, FunctionNames) {
    DataManager dm;
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    auto& funcs = dm.g_arPSI[1].arDialFuncElemList;
    funcs[0].strFunctionName = u"Zoom";
    funcs[1].strFunctionName = std::u16string(40, u'x');  // longer than the field holds
    funcs[2].strFunctionName = u"";
    ASSERT_TRUE(dm.DataOutputToMemory());
    const uint8_t* zoom = dm.SectorBuffer(0) + F::FunctionNameAddress(1, 0);
    const uint8_t expected[] = {8, 0x5A, 0, 0x6F, 0, 0x6F, 0, 0x6D, 0, 0xFF};
    EXPECT_EQ(std::vector<uint8_t>(zoom, zoom + sizeof expected), std::vector<uint8_t>(expected, expected + sizeof expected));
    const uint8_t* longName = dm.SectorBuffer(0) + F::FunctionNameAddress(1, 1);
    EXPECT_EQ(longName[0], 62);
    EXPECT_EQ(longName[63], 0xFF) << "the last byte of the field stays unused";
    EXPECT_EQ(dm.SectorBuffer(0)[F::FunctionNameAddress(1, 2)], 0);
    EXPECT_EQ(dm.SectorBuffer(0)[F::FunctionNameAddress(1, 2) + 1], 0xFF);

    // An absent name leaves the stored one in place: it reappears on re-read.
    funcs[0].strFunctionName.reset();
    ASSERT_TRUE(dm.DataOutputToMemory());
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    EXPECT_EQ(dm.g_arPSI[1].arDialFuncElemList[0].strFunctionName, std::u16string(u"Zoom"));
    EXPECT_EQ(dm.g_arPSI[1].arDialFuncElemList[1].strFunctionName->size(), 31u);
}

TEST(DataManagerEncode, ScriptNamesAreCutToWhatReadsBack) {
    DataManager dm;
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    for (int s = 2; s < 32; ++s) ASSERT_TRUE(dm.SetScriptDataFromFlashSector(s));
    ASSERT_TRUE(dm.RenewMacroScriptInfo(5, Script(10, 0x62)));
    dm.g_arSCE[4].strScriptName = std::u16string(200, u'n');
    ASSERT_TRUE(dm.DataOutputToMemory());
    const uint8_t* rec = dm.SectorBuffer(1) + F::ScriptRecordOffset(4);
    EXPECT_EQ(rec[F::FM_OFSET_SCRIPT_NAME_SIZE], 252);
    EXPECT_EQ(rec[264], 0xFF) << "bytes after the name field are untouched";
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    EXPECT_EQ(dm.g_arSCE[4].strScriptName->size(), 126u);

    // A character of two units is never cut in half: x and 63 pairs keep x
    // and 62 pairs (125 units); 16 pairs in a dial function name keep 15.
    std::u16string pairs;
    for (int i = 0; i < 63; ++i) pairs += u"\U0001F58C";
    dm.g_arSCE[4].strScriptName = u"x" + pairs;
    dm.g_arPSI[0].arDialFuncElemList[0].strFunctionName = pairs.substr(0, 32);
    ASSERT_TRUE(dm.DataOutputToMemory());
    EXPECT_EQ(rec[F::FM_OFSET_SCRIPT_NAME_SIZE], 250);
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    EXPECT_EQ(dm.g_arSCE[4].strScriptName, u"x" + pairs.substr(0, 124));
    EXPECT_EQ(dm.g_arPSI[0].arDialFuncElemList[0].strFunctionName, pairs.substr(0, 30));
}

TEST(DataManagerEncode, ScriptsArePackedPerSector) {
    DataManager dm;
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    ASSERT_TRUE(dm.SetScriptDataFromFlashSector(2));
    ASSERT_TRUE(dm.RenewMacroScriptInfo(1, Script(100, 0x11)));   // index 0
    ASSERT_TRUE(dm.RenewMacroScriptInfo(31, Script(100, 0x22)));  // index 30, same sector 2
    EXPECT_EQ(dm.g_arSCE[0].dwSaveAddress, 0x20000u);
    EXPECT_EQ(dm.g_arSCE[30].dwSaveAddress, 0x20064u);
    EXPECT_EQ(dm.g_arSCE[30].dwSectorAddr, 0x64u);
    EXPECT_EQ(dm.SectorBuffer(2)[99], 0x11);
    EXPECT_EQ(dm.SectorBuffer(2)[100], 0x22);
    EXPECT_EQ(dm.SectorBuffer(2)[200], 0xFF);
    EXPECT_EQ(dm.g_pSCTI.bTotalNum, 2);
    EXPECT_EQ(dm.g_pSCTI.dwTotalSize, 200u);

    // Replacing a script keeps the count and changes the total by the difference;
    // the script behind it moves up.
    ASSERT_TRUE(dm.RenewMacroScriptInfo(1, Script(40, 0x33)));
    EXPECT_EQ(dm.g_pSCTI.bTotalNum, 2);
    EXPECT_EQ(dm.g_pSCTI.dwTotalSize, 140u);
    EXPECT_EQ(dm.g_arSCE[30].dwSaveAddress, 0x20028u);
    EXPECT_EQ(dm.SectorBuffer(2)[40], 0x22);

    // The directory reaches sector 1 with the next encode and decodes back.
    ASSERT_TRUE(dm.DataOutputToMemory());
    DataManager back;
    std::memcpy(back.SectorBuffer(1), dm.SectorBuffer(1), F::FM_SECTOR_SIZE);
    std::memcpy(back.SectorBuffer(2), dm.SectorBuffer(2), F::FM_SECTOR_SIZE);
    ASSERT_TRUE(back.DataInitializeFromMemory());
    ASSERT_TRUE(back.SetScriptDataFromFlashSector(2));
    EXPECT_EQ(back.g_arSCE[30].pbRawData, std::vector<uint8_t>(100, 0x22));
    EXPECT_EQ(back.g_pSCTI.bTotalNum, 2);
}

TEST(DataManagerEncode, EmptyingASlotClearsItsRecord) {
    DataManager dm;
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    ASSERT_TRUE(dm.SetScriptDataFromFlashSector(2));
    ASSERT_TRUE(dm.RenewMacroScriptInfo(1, Script(100, 0x11)));
    ASSERT_TRUE(dm.RenewMacroScriptInfo(31, Script(50, 0x22)));
    ASSERT_TRUE(dm.DataOutputToMemory());

    dm.g_arSCE[0].strScriptName = u"old";
    dm.g_arSCE[0].bScriptMode = 2;
    ASSERT_TRUE(dm.RenewMacroScriptInfo(1, MacroCreator{}));
    EXPECT_FALSE(dm.g_arSCE[0].IsStored());
    EXPECT_FALSE(dm.g_arSCE[0].strScriptName.has_value()) << "the model must show what the device will";
    EXPECT_EQ(dm.g_arSCE[0].bScriptMode, 0);
    EXPECT_EQ(dm.g_pSCTI.bTotalNum, 1);
    EXPECT_EQ(dm.g_pSCTI.dwTotalSize, 50u);
    EXPECT_EQ(dm.g_arSCE[30].dwSaveAddress, 0x20000u);
    ASSERT_TRUE(dm.DataOutputToMemory());
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    EXPECT_FALSE(dm.g_arSCE[0].IsStored()) << "a stale record would point at script 31's bytes";
    EXPECT_TRUE(dm.g_arSCE[30].IsStored());
    EXPECT_EQ(dm.g_pSCTI.bTotalNum, 1);
}

TEST(DataManagerEncode, RenewRefusesWhatWouldLoseData) {
    DataManager dm;
    // Script 31 is stored in sector 2 but that sector was never read.
    ByteIO::WriteLE32(dm.SectorBuffer(1) + F::ScriptRecordOffset(30), 0x20000);
    ByteIO::WriteLE32(dm.SectorBuffer(1) + F::ScriptRecordOffset(30) + 4, 10);
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    EXPECT_FALSE(dm.RenewMacroScriptInfo(1, Script(20, 0x11))) << "repacking would wipe script 31";
    EXPECT_FALSE(dm.g_arSCE[0].IsStored());
    EXPECT_EQ(dm.g_pSCTI.bTotalNum, 1);

    ASSERT_TRUE(dm.SetScriptDataFromFlashSector(2));
    EXPECT_FALSE(dm.RenewMacroScriptInfo(1, Script(F::FM_SCRIPT_DATA_MAX_SIZE + 1, 0x11)));
    EXPECT_FALSE(dm.RenewMacroScriptInfo(0, Script(1, 0x11)));
    EXPECT_FALSE(dm.RenewMacroScriptInfo(201, Script(1, 0x11)));
    EXPECT_TRUE(dm.RenewMacroScriptInfo(1, Script(F::FM_SCRIPT_DATA_MAX_SIZE, 0x11)));
    EXPECT_EQ(dm.g_pSCTI.bTotalNum, 2);
}

TEST(DataManagerEncode, SevenFullScriptsFillOneSector) {
    DataManager dm;
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    ASSERT_TRUE(dm.SetScriptDataFromFlashSector(21));
    for (int i = 19; i < 200; i += 30) {
        ASSERT_TRUE(dm.RenewMacroScriptInfo(i + 1, Script(F::FM_SCRIPT_DATA_MAX_SIZE, static_cast<uint8_t>(i))));
    }
    EXPECT_EQ(dm.g_arSCE[199].dwSaveAddress, 21u * 0x10000 + 6u * F::FM_SCRIPT_DATA_MAX_SIZE);
    EXPECT_EQ(dm.SectorBuffer(21)[7 * F::FM_SCRIPT_DATA_MAX_SIZE - 1], 199);
    EXPECT_EQ(dm.SectorBuffer(21)[7 * F::FM_SCRIPT_DATA_MAX_SIZE], 0xFF);
}
