#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/DataManager.h"
#include "model/ByteIO.h"
#include "model/TextConvert.h"

using namespace kelvadeck;
using C = Constants;
using F = FlashControl;

namespace {

// A data manager whose sectors 0 and 1 start erased; tests poke bytes in and decode.
struct Image {
    DataManager dm;
    uint8_t* s0 = dm.SectorBuffer(0);
    uint8_t* s1 = dm.SectorBuffer(1);

    void Decode() { ASSERT_TRUE(dm.DataInitializeFromMemory()); }
    void SetRecord(int index, uint32_t address, uint32_t size, uint8_t mode = 0) {
        uint8_t* rec = s1 + F::ScriptRecordOffset(index);
        ByteIO::WriteLE32(rec + F::FM_OFSET_SCRIPT_REC_ADR, address);
        ByteIO::WriteLE32(rec + F::FM_OFSET_SCRIPT_DATA_SIZE, size);
        rec[F::FM_OFSET_SCRIPT_MODE] = mode;
    }
    void SetDialAction(int mode, int func, bool clockwise, std::initializer_list<uint8_t> bytes) {
        uint8_t* rec = s0 + F::DialFunctionAddress(mode, func) + (clockwise ? 0 : 8);
        std::fill(rec, rec + 8, 0);
        std::copy(bytes.begin(), bytes.end(), rec);
    }
    void SetDialSelection(int mode, int func, uint8_t i1, uint8_t i2, uint8_t i3) {
        uint8_t* sel = s0 + F::DialSelectionAddress(mode, func);
        sel[0] = i1;
        sel[1] = i2;
        sel[2] = i3;
    }
};

}  // namespace

TEST(DataManagerDecode, ErasedImageGivesDefaults) {
    Image img;
    img.Decode();
    const DataManager& dm = img.dm;
    EXPECT_EQ(dm.g_pSSI.bMode, 0);
    EXPECT_EQ(dm.g_pSSI.bLEDSleepFlag, C::LED_SLEEP_ENABLED);
    EXPECT_EQ(dm.g_pSSI.bLEDLampTypeMode, C::LED_LIGHT_TYPE_MODE_ON);
    EXPECT_EQ(dm.g_pSSI.bLEDLampTypeFunc, C::LED_LIGHT_TYPE_FUNC_ON);
    EXPECT_EQ(dm.g_pSSI.bLEDOffTimer, 180);
    EXPECT_EQ(dm.g_pSSI.bEncoderType, C::ENCODER_TYPEMATIC_HIT);
    ASSERT_EQ(dm.g_arPSI.size(), 3u);
    for (const ProfileSettingInfo& p : dm.g_arPSI) {
        EXPECT_EQ(p.arSWScriptNo, std::vector<uint8_t>(11, 0));
        EXPECT_EQ(p.arSWSpScriptNo, std::vector<uint8_t>(11, 0));
        EXPECT_EQ(p.bEncoderDefaultFuncNo, 0);
        EXPECT_EQ(p.bLEDColorNo, 255);
        EXPECT_EQ(p.bLEDColorDetailFlag, 255);
        EXPECT_EQ(p.bLEDDutyR + p.bLEDDutyG + p.bLEDDutyB, 0);
        EXPECT_EQ(p.bLEDBrightness, C::LED_BRIGHTNESS_LEVEL_NORMAL);
        ASSERT_EQ(p.arDialFuncElemList.size(), 4u);
        for (size_t f = 0; f < 4; ++f) {
            EXPECT_EQ(p.arSelectItemElemDF[f], SelectItemElemForDial{});
            EXPECT_EQ(p.arDialFuncElemList[f].clsMacroR.bScriptType, 0);
            EXPECT_EQ(p.arDialFuncElemList[f].clsMacroR.bSensitive, 100);
            EXPECT_EQ(p.arDialFuncElemList[f].clsMacroL.bSensitive, 100);
            EXPECT_FALSE(p.arDialFuncElemList[f].strFunctionName.has_value());
        }
        ASSERT_EQ(p.arSwitchFuncElemList.size(), 11u);
        for (size_t b = 0; b < 11; ++b) {
            EXPECT_EQ(p.arSelectItemElemSW[b], (SelectItemElemForSwich{255, 255, 255}));
            EXPECT_EQ(p.arSwitchFuncElemList[b].clsMacroSW.bScriptType, 0);
            EXPECT_EQ(p.arSwitchFuncElemList[b].clsMacroSW.bSensitive, 0);
        }
    }
    ASSERT_EQ(dm.g_arDMI.size(), 4u);
    for (const DialMacroInfo& d : dm.g_arDMI) {
        EXPECT_EQ(d.bDialMacroSetNum, 0);
        EXPECT_EQ(d.bDialMacroRoopFlag, C::ENCODER_SCRIPT_LOOP_SET_NONE);
        EXPECT_EQ(d.arDialMacroNoList, std::vector<uint8_t>(32, 0));
    }
    EXPECT_EQ(dm.g_pSCTI.bTotalNum, 0);
    EXPECT_EQ(dm.g_pSCTI.dwTotalSize, 0u);
    ASSERT_EQ(dm.g_arSCE.size(), 200u);
    for (size_t i = 0; i < 200; ++i) {
        EXPECT_FALSE(dm.g_arSCE[i].IsStored());
        EXPECT_EQ(dm.g_arSCE[i].nSectorNo, static_cast<int>(2 + i % 30));
    }
    EXPECT_TRUE(dm.bDataInitialize());
    EXPECT_TRUE(dm.SectorReadFlag(0));
    EXPECT_TRUE(dm.SectorReadFlag(1));
    EXPECT_FALSE(dm.SectorReadFlag(2));
}

// Every range check at its last accepted value and its first refused one.
TEST(DataManagerDecode, RangeChecksAtTheirBoundaries) {
    struct Case {
        const char* what;
        int offset;  // in sector 0
        uint8_t stored;
        std::function<int(const DataManager&)> read;
        int expected;
    };
    const int mode1 = F::ModeSettingAddress(1);
    const int func2 = F::DialFunctionAddress(0, 2);
    const int dmi1 = F::EncoderScriptAddress(1);
    const std::vector<Case> cases = {
        {"mode 2", 0, 2, [](auto& d) { return d.g_pSSI.bMode; }, 2},
        {"mode 3", 0, 3, [](auto& d) { return d.g_pSSI.bMode; }, 0},
        {"sleep 1", 1, 1, [](auto& d) { return d.g_pSSI.bLEDSleepFlag; }, 1},
        {"sleep 2", 1, 2, [](auto& d) { return d.g_pSSI.bLEDSleepFlag; }, 0},
        {"lamp mode 2", 2, 2, [](auto& d) { return d.g_pSSI.bLEDLampTypeMode; }, 0},
        {"lamp func 2", 3, 2, [](auto& d) { return d.g_pSSI.bLEDLampTypeFunc; }, 2},
        {"lamp func 3", 3, 3, [](auto& d) { return d.g_pSSI.bLEDLampTypeFunc; }, 0},
        {"off time 180", 4, 180, [](auto& d) { return d.g_pSSI.bLEDOffTimer; }, 180},
        {"off time 181 clamps", 4, 181, [](auto& d) { return d.g_pSSI.bLEDOffTimer; }, 180},
        {"off time 0", 4, 0, [](auto& d) { return d.g_pSSI.bLEDOffTimer; }, 0},
        {"typematic 1", 5, 1, [](auto& d) { return d.g_pSSI.bEncoderType; }, 1},
        {"typematic 2", 5, 2, [](auto& d) { return d.g_pSSI.bEncoderType; }, 0},
        {"script no 200", mode1 + 3, 200, [](auto& d) { return d.g_arPSI[1].arSWScriptNo[3]; }, 200},
        {"script no 201", mode1 + 3, 201, [](auto& d) { return d.g_arPSI[1].arSWScriptNo[3]; }, 0},
        {"special 13", mode1 + 11 + 10, 13, [](auto& d) { return d.g_arPSI[1].arSWSpScriptNo[10]; }, 13},
        {"special 14", mode1 + 11 + 10, 14, [](auto& d) { return d.g_arPSI[1].arSWSpScriptNo[10]; }, 0},
        {"default func 3", mode1 + 22, 3, [](auto& d) { return d.g_arPSI[1].bEncoderDefaultFuncNo; }, 3},
        {"default func 4", mode1 + 22, 4, [](auto& d) { return d.g_arPSI[1].bEncoderDefaultFuncNo; }, 0},
        {"colour no unchecked", mode1 + 23, 77, [](auto& d) { return d.g_arPSI[1].bLEDColorNo; }, 77},
        {"duty 100", mode1 + 26, 100, [](auto& d) { return d.g_arPSI[1].bLEDDutyG; }, 100},
        {"duty 101", mode1 + 26, 101, [](auto& d) { return d.g_arPSI[1].bLEDDutyG; }, 0},
        {"brightness 2", mode1 + 28, 2, [](auto& d) { return d.g_arPSI[1].bLEDBrightness; }, 2},
        {"brightness 3", mode1 + 28, 3, [](auto& d) { return d.g_arPSI[1].bLEDBrightness; }, 0},
        {"func duty 100", func2 + 20, 100, [](auto& d) { return d.g_arPSI[0].arDialFuncElemList[2].bLEDDutyB; }, 100},
        {"func duty 101", func2 + 20, 101, [](auto& d) { return d.g_arPSI[0].arDialFuncElemList[2].bLEDDutyB; }, 0},
        {"func brightness 3", func2 + 21, 3, [](auto& d) { return d.g_arPSI[0].arDialFuncElemList[2].bLEDBrightness; }, 0},
        {"sensitivity 100", func2 + 7, 100, [](auto& d) { return d.g_arPSI[0].arDialFuncElemList[2].clsMacroR.bSensitive; }, 100},
        {"sensitivity 101 clamps", func2 + 7, 101, [](auto& d) { return d.g_arPSI[0].arDialFuncElemList[2].clsMacroR.bSensitive; }, 100},
        {"set num 32", dmi1, 32, [](auto& d) { return d.g_arDMI[1].bDialMacroSetNum; }, 32},
        {"set num 33", dmi1, 33, [](auto& d) { return d.g_arDMI[1].bDialMacroSetNum; }, 0},
        {"loop 1", dmi1 + 1, 1, [](auto& d) { return d.g_arDMI[1].bDialMacroRoopFlag; }, 1},
        {"loop 2", dmi1 + 1, 2, [](auto& d) { return d.g_arDMI[1].bDialMacroRoopFlag; }, 0},
        {"dial macro entry 199", dmi1 + 16 + 31, 199, [](auto& d) { return d.g_arDMI[1].arDialMacroNoList[31]; }, 199},
        {"dial macro entry 200", dmi1 + 16 + 31, 200, [](auto& d) { return d.g_arDMI[1].arDialMacroNoList[31]; }, 0},
        {"fourth dial macro", F::EncoderScriptAddress(3), 5, [](auto& d) { return d.g_arDMI[3].bDialMacroSetNum; }, 5},
    };
    for (const Case& c : cases) {
        Image img;
        img.s0[c.offset] = c.stored;
        img.Decode();
        EXPECT_EQ(c.read(img.dm), c.expected) << c.what;
    }
}

TEST(DataManagerDecode, DialActionRecoversItsCatalogueSelection) {
    Image img;
    // Mouse move stored with selection 0/0/0: category mouse, list position 6.
    img.SetDialAction(0, 0, true, {7, 0, 0xFB, 0x0A, 0, 0, 0, 50});
    img.SetDialSelection(0, 0, 0, 0, 0);
    // Keyboard key "A" with shift.
    img.SetDialAction(0, 0, false, {9, 0x02, 0x04, 0, 0, 0, 0, 30});
    // Type above the range: the selection is cleared.
    img.SetDialAction(0, 1, true, {45, 1, 2, 3, 4, 5, 6, 7});
    img.SetDialSelection(0, 1, 3, 3, 3);
    // Type 0 keeps whatever selection was stored.
    img.SetDialAction(0, 2, true, {0, 0, 0, 0, 0, 0, 0, 100});
    img.SetDialSelection(0, 2, 4, 1, 9);
    // Preset category: selection and bytes kept as stored.
    img.SetDialAction(0, 3, true, {9, 1, 0x2F, 0, 0, 0, 0, 100});
    img.SetDialSelection(0, 3, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET, 4, 4);
    img.Decode();

    const ProfileSettingInfo& p = img.dm.g_arPSI[0];
    const MacroDataDialFunc& move = p.arDialFuncElemList[0].clsMacroR;
    EXPECT_EQ(p.arSelectItemElemDF[0].bItemID1_R, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE);
    EXPECT_EQ(p.arSelectItemElemDF[0].bItemID2_R, 0);
    EXPECT_EQ(p.arSelectItemElemDF[0].bItemID3_R, 6);
    EXPECT_EQ(move.bScriptType, C::SET_TYPE_MOUSE_MOVE);
    EXPECT_EQ(move.cMoveX, -5);
    EXPECT_EQ(move.cMoveY, 10);
    EXPECT_EQ(move.bSensitive, 50);

    const MacroDataDialFunc& key = p.arDialFuncElemList[0].clsMacroL;
    EXPECT_EQ(p.arSelectItemElemDF[0].bItemID1_L, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY);
    EXPECT_EQ(p.arSelectItemElemDF[0].bItemID3_L, 2);
    EXPECT_EQ(key.bKeyCode, 0x04);
    EXPECT_EQ(key.bKeyModifier, 0x02);
    EXPECT_EQ(key.pStrKey, "A");

    EXPECT_EQ(p.arSelectItemElemDF[1], (SelectItemElemForDial{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(p.arDialFuncElemList[1].clsMacroR.bScriptType, 0);

    EXPECT_EQ(p.arSelectItemElemDF[2].bItemID1_R, 4);
    EXPECT_EQ(p.arSelectItemElemDF[2].bItemID3_R, 9);

    EXPECT_EQ(p.arSelectItemElemDF[3].bItemID1_R, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET);
    EXPECT_EQ(p.arSelectItemElemDF[3].bItemID2_R, 4);
    EXPECT_EQ(p.arSelectItemElemDF[3].bItemID3_R, 4);
    EXPECT_EQ(p.arDialFuncElemList[3].clsMacroR.Byte(2), 0x2F);
    // No preset folder is configured here, so there is no file to name.
    EXPECT_FALSE(p.arDialFuncElemList[3].clsMacroR.strDatName.has_value());
}

TEST(DataManagerDecode, DecodedFieldsPerActionType) {
    struct Case {
        std::vector<uint8_t> bytes;
        std::function<bool(const MacroDataDialFunc&)> check;
        const char* what;
    };
    const std::vector<Case> cases = {
        {{6, 0x20, 0, 0, 0, 0, 0, 0}, [](auto& a) { return a.bButton1 == 0x20; }, "double click"},
        {{8, 0, 0, 0, 0xFF, 0, 0, 0}, [](auto& a) { return a.cMoveZ == -1; }, "wheel"},
        {{31, 0, 0x01, 8, 0, 0, 0, 0}, [](auto& a) { return a.bButton2 == 1 && a.sOption == 1 && a.bButton3 == 8; }, "joypad 9"},
        {{22, 0, 0, 8, 0x7F, 0x81, 0, 0}, [](auto& a) { return a.cMoveX == 127 && a.cMoveY == -127 && a.bButton3 == 8; }, "stick"},
        {{36, 0, 0, 0, 0, 0, 0, 0}, [](auto& a) { return a.bButton1 == 0; }, "hat north"},
        {{38, 0, 0, 6, 0, 0, 0, 0}, [](auto& a) { return a.bButton1 == 6; }, "hat west"},
        {{20, 0, 0x08, 0, 0, 0, 0, 0}, [](auto& a) { return a.bButton2 == 8; }, "volume down"},
        {{9, 0x01, 0, 0, 0, 0, 0, 0}, [](auto& a) { return a.bKeyModifier == 1 && !a.pStrKey; }, "modifier only"},
        {{43, 0, 0, 0, 0, 0, 0, 0}, [](auto& a) { return a.bScriptType == 43; }, "dial macro"},
    };
    for (const Case& c : cases) {
        Image img;
        std::copy(c.bytes.begin(), c.bytes.end(), img.s0 + F::SwitchFunctionAddress(2, 4));
        img.Decode();
        const MacroDataDialFunc& a = img.dm.g_arPSI[2].arSwitchFuncElemList[4].clsMacroSW;
        EXPECT_EQ(a.bScriptType, c.bytes[0]) << c.what;
        EXPECT_TRUE(c.check(a)) << c.what;
    }
}

TEST(DataManagerDecode, NamesByLengthByte) {
    Image img;
    auto putName = [&](int func, uint8_t len, const char* ascii) {
        uint8_t* rec = img.s0 + F::FunctionNameAddress(1, func);
        rec[0] = len;
        for (size_t i = 0; ascii[i]; ++i) {
            rec[1 + 2 * i] = static_cast<uint8_t>(ascii[i]);
            rec[2 + 2 * i] = 0;
        }
    };
    putName(0, 62, "0123456789012345678901234567890");  // 31 units
    putName(1, 63, "too long");
    putName(2, 0, "");
    putName(3, 3, "ab");  // odd count: the next byte is the high half of the last unit
    img.s0[F::FunctionNameAddress(1, 3) + 4] = 0x30;
    // A script name with the largest count below "no name" (253, odd) keeps
    // only the units a write can store again (126), or the next write would
    // change it.
    img.SetRecord(0, 0x20000, 16);
    uint8_t* rec0 = img.s1 + F::ScriptRecordOffset(0);
    rec0[F::FM_OFSET_SCRIPT_NAME_SIZE] = F::FM_SCRIPT_INFO_DATA_NAME_SIZE - 1;
    std::fill_n(rec0 + F::FM_OFSET_SCRIPT_NAME_DATA, F::FM_SCRIPT_INFO_DATA_NAME_SIZE, 'x');
    img.Decode();
    ASSERT_TRUE(img.dm.g_arSCE[0].strScriptName.has_value());
    EXPECT_EQ(img.dm.g_arSCE[0].strScriptName->size(), 126u);
    const auto& funcs = img.dm.g_arPSI[1].arDialFuncElemList;
    EXPECT_EQ(funcs[0].strFunctionName->size(), 31u);
    EXPECT_FALSE(funcs[1].strFunctionName.has_value());
    ASSERT_TRUE(funcs[2].strFunctionName.has_value());
    EXPECT_TRUE(funcs[2].strFunctionName->empty());
    EXPECT_EQ(*funcs[3].strFunctionName, std::u16string(u"a\u3062"));
}

TEST(DataManagerDecode, ScriptRecordsMustLieInsideTheirSector) {
    Image img;
    img.SetRecord(0, 0x20000, 9362, 3);                 // sector 2, full size: stored
    img.SetRecord(1, 0x30000 + 100, 9363);              // too big
    img.SetRecord(2, 0x200000, 9362);                   // past the last sector
    img.SetRecord(3, 0x20000, 10);                      // index 3 lives in sector 5, not 2
    img.SetRecord(4, 0x60000 + 0xFFF0, 0x20);           // runs past the end of its sector
    img.SetRecord(5, 0x70000 + 0xFFE0, 0x20);           // ends exactly at the end: stored
    img.SetRecord(6, 0, 10);                            // no address
    img.SetRecord(7, 0x90000, 4, 9);                    // mode out of range
    uint8_t* rec5 = img.s1 + F::ScriptRecordOffset(5);
    rec5[F::FM_OFSET_SCRIPT_NAME_SIZE] = 4;
    rec5[F::FM_OFSET_SCRIPT_NAME_DATA] = 'O';
    rec5[F::FM_OFSET_SCRIPT_NAME_DATA + 2] = 'K';
    rec5[F::FM_OFSET_SCRIPT_NAME_DATA + 1] = rec5[F::FM_OFSET_SCRIPT_NAME_DATA + 3] = 0;
    img.Decode();
    const auto& sce = img.dm.g_arSCE;
    EXPECT_TRUE(sce[0].IsStored());
    EXPECT_EQ(sce[0].bScriptMode, 3);
    EXPECT_EQ(sce[0].dwSectorAddr, 0u);
    EXPECT_FALSE(sce[1].IsStored());
    EXPECT_FALSE(sce[2].IsStored());
    EXPECT_FALSE(sce[3].IsStored());
    EXPECT_FALSE(sce[4].IsStored());
    EXPECT_TRUE(sce[5].IsStored());
    EXPECT_EQ(sce[5].dwSectorAddr, 0xFFE0u);
    EXPECT_EQ(sce[5].strScriptName, std::u16string(u"OK"));
    EXPECT_FALSE(sce[6].IsStored());
    EXPECT_TRUE(sce[7].IsStored());
    EXPECT_EQ(sce[7].bScriptMode, 0);
    EXPECT_FALSE(sce[0].strScriptName.has_value());  // erased length byte
}

TEST(DataManagerDecode, DirectoryTotalsFollowTheStoredRecords) {
    Image img;
    img.SetRecord(0, 0x20000, 100);
    img.SetRecord(30, 0x20000 + 100, 50);
    // A header that claims something else (here: erased, then a wrong count).
    img.s1[F::FM_OFSET_SCRIPT_REC_NUM] = 7;
    ByteIO::WriteLE32(img.s1 + F::FM_OFSET_SCRIPT_TOTAL_SIZE_L0, 3);
    img.s1[F::FM_OFSET_SCRIPT_CHK_SUM_L] = 0x34;
    img.s1[F::FM_OFSET_SCRIPT_CHK_SUM_H] = 0x12;
    img.Decode();
    EXPECT_EQ(img.dm.g_pSCTI.bTotalNum, 2);
    EXPECT_EQ(img.dm.g_pSCTI.dwTotalSize, 150u);
    EXPECT_EQ(img.dm.g_pSCTI.wCheckSum, 0x1234);
}

TEST(DataManagerDecode, ScriptBodiesAreDecodedPerSector) {
    Image img;
    img.SetRecord(30, 0x20000, 7);
    const uint8_t body[] = {0x41, 0x04, 0x70, 0x01, 0x2C, 0x40, 0x04};
    std::memcpy(img.dm.SectorBuffer(2), body, sizeof body);
    img.Decode();
    EXPECT_FALSE(img.dm.g_arSCE[30].pbRawData.has_value());
    EXPECT_TRUE(img.dm.SetScriptDataFromFlashSector(2));
    const ScriptElem& e = img.dm.g_arSCE[30];
    ASSERT_TRUE(e.pbRawData.has_value());
    EXPECT_EQ(*e.pbRawData, std::vector<uint8_t>(body, body + sizeof body));
    ASSERT_EQ(e.idMacroCreator.arCurrentMacroScript.size(), 3u);
    EXPECT_EQ(e.idMacroCreator.arCurrentMacroScript[1].sOption, 300);
    // Decoding again replaces rather than appends.
    EXPECT_TRUE(img.dm.SetScriptDataFromFlashSector(2));
    EXPECT_EQ(img.dm.g_arSCE[30].idMacroCreator.arCurrentMacroScript.size(), 3u);
    // Sectors without scripts are fine.
    EXPECT_TRUE(img.dm.SetScriptDataFromFlashSector(0));
    EXPECT_TRUE(img.dm.SetScriptDataFromFlashSector(31));
    EXPECT_TRUE(img.dm.SetScriptDataFromFlashSector(99));
}

TEST(DataManagerLifecycle, ResetAndRenew) {
    DataManager dm;
    EXPECT_FALSE(dm.bDataInitialize());
    for (int n = 0; n < 32; ++n) {
        EXPECT_FALSE(dm.SectorReadFlag(n));
        EXPECT_EQ(dm.SectorBuffer(n)[0], 0xFF);
        EXPECT_EQ(dm.SectorBuffer(n)[F::FM_SECTOR_SIZE - 1], 0xFF);
    }
    dm.SectorBuffer(0)[0] = 2;
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    dm.g_pSSI.strFirmwareVer = "1.02";
    dm.ResetMember(false);
    EXPECT_FALSE(dm.bDataInitialize());
    EXPECT_TRUE(dm.g_arPSI.empty());
    EXPECT_EQ(dm.SectorBuffer(0)[0], 2);
    EXPECT_TRUE(dm.SectorReadFlag(0));
    EXPECT_EQ(dm.g_pSSI.strFirmwareVer, "1.02");
    dm.ResetMember(true);
    EXPECT_EQ(dm.SectorBuffer(0)[0], 0xFF);
    EXPECT_FALSE(dm.SectorReadFlag(0));
    EXPECT_FALSE(dm.g_pSSI.strFirmwareVer.has_value());

    dm.WholeImage()[0x20005] = 0x12;
    dm.ClearIOmemory();
    ASSERT_TRUE(dm.RenewMemBuf());
    for (int n = 0; n < 32; ++n) EXPECT_TRUE(dm.SectorReadFlag(n));
    EXPECT_EQ(dm.SectorBuffer(2)[5], 0xFF);
    EXPECT_TRUE(dm.bDataInitialize());

    dm.DestroyMember();
    EXPECT_FALSE(dm.DataInitializeFromMemory());
    EXPECT_FALSE(dm.DataOutputToMemory());
    EXPECT_FALSE(dm.RenewMemBuf());
    dm.InitMember();
    EXPECT_TRUE(dm.DataInitializeFromMemory());
}

TEST(DataManagerFiles, WholeFileReadAndWrite) {
    DataManager dm;
    const std::string path = testing::TempDir() + "/kelvadeck_file_test.bin";
    const std::vector<uint8_t> data = {1, 2, 3, 4, 5};
    ASSERT_TRUE(dm.SaveFile(path, data.data(), data.size()));
    std::vector<uint8_t> back(5);
    ASSERT_TRUE(dm.ReadFile(path, back.data(), back.size()));
    EXPECT_EQ(back, data);
    std::vector<uint8_t> tooMany(6);
    EXPECT_FALSE(dm.ReadFile(path, tooMany.data(), tooMany.size()));
    std::vector<uint8_t> firstFour(4);
    ASSERT_TRUE(dm.ReadFile(path, firstFour.data(), firstFour.size()));
    EXPECT_EQ(firstFour, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_FALSE(dm.ReadFile(path + ".missing", back.data(), back.size()));
    EXPECT_FALSE(dm.SaveFile(path + "/not-a-folder/x", data.data(), data.size()));
}
