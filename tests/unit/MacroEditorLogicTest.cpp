// The macro editor's and the dial macro editor's toolkit-free logic: the step
// list operations, the palette, slot names, storing a script in a slot
// without losing the other scripts of its sector, and dial macro sets.
#include <gtest/gtest.h>

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "model/TextConvert.h"
#include "screenlogic/DialMacroSetForm.h"
#include "screenlogic/MacroEditorBaseline.h"
#include "screenlogic/MacroSlotName.h"
#include "screenlogic/MacroSlotStore.h"
#include "screenlogic/MacroStepKinds.h"
#include "screenlogic/MacroStepList.h"

namespace kelvadeck {
namespace {

using C = Constants;
using F = FlashControl;

MacroDataScript Interval(uint16_t ms) { return MacroCreator::CreateMacroForScriptInterval(ms); }

// A script of intervals 1, 2, 3 ... so each step is recognised by its value.
MacroCreator Numbered(int count) {
    MacroCreator m;
    for (int i = 1; i <= count; ++i) m.arCurrentMacroScript.push_back(Interval(static_cast<uint16_t>(i)));
    return m;
}

std::vector<int> Values(const MacroCreator& m) {
    std::vector<int> v;
    for (const MacroDataScript& s : m.arCurrentMacroScript) v.push_back(s.sOption);
    return v;
}

TEST(MacroStepList, DraggingRowThreeAboveRowOneMakesItTheFirstStep) {
    MacroCreator m = Numbered(4);
    EXPECT_TRUE(MacroStepList::MoveRow(m, 3, 1));
    EXPECT_EQ(Values(m), (std::vector<int>{3, 1, 2, 4}));
}

TEST(MacroStepList, DraggingRowOneAboveRowFourPutsItAfterTheOldThirdStep) {
    MacroCreator m = Numbered(4);
    EXPECT_TRUE(MacroStepList::MoveRow(m, 1, 4));
    EXPECT_EQ(Values(m), (std::vector<int>{2, 3, 1, 4}));
}

TEST(MacroStepList, DroppingBelowTheLastRowMakesTheStepLast) {
    MacroCreator m = Numbered(3);
    EXPECT_TRUE(MacroStepList::MoveRow(m, 1, MacroStepList::RowCount(m)));
    EXPECT_EQ(Values(m), (std::vector<int>{2, 3, 1}));
    // A row far beyond the end counts as the end.
    EXPECT_TRUE(MacroStepList::MoveRow(m, 1, 99));
    EXPECT_EQ(Values(m), (std::vector<int>{3, 1, 2}));
}

TEST(MacroStepList, TheModeRowCannotBeDraggedAndNothingLandsAboveIt) {
    MacroCreator m = Numbered(3);
    EXPECT_FALSE(MacroStepList::CanDragRow(m, 0));
    EXPECT_TRUE(MacroStepList::CanDragRow(m, 1));
    EXPECT_FALSE(MacroStepList::CanDragRow(m, 4));
    EXPECT_FALSE(MacroStepList::MoveRow(m, 0, 2));
    EXPECT_FALSE(MacroStepList::MoveRow(m, 2, 0));
    EXPECT_FALSE(MacroStepList::MoveRow(m, 7, 1));
    EXPECT_FALSE(MacroStepList::MoveRow(m, -1, 1));
    EXPECT_FALSE(MacroStepList::MoveRow(m, 2, 2));
    EXPECT_FALSE(MacroStepList::MoveRow(m, 2, 3));
    EXPECT_EQ(Values(m), (std::vector<int>{1, 2, 3}));
}

TEST(MacroStepList, ModeCyclesThroughTheFourModes) {
    MacroCreator m;
    const uint8_t expected[] = {C::SCRIPT_MODE_LOOP_MODE, C::SCRIPT_MODE_FIRE_MODE, C::SCRIPT_MODE_HOLD_MODE,
                                C::SCRIPT_MODE_ONE_MODE};
    for (uint8_t mode : expected) {
        MacroStepList::CycleMode(m);
        EXPECT_EQ(m.bScriptMode, mode);
    }
    const StringTable s;
    EXPECT_EQ(MacroStepList::ModeText(0, s), s.Get("SCRIPT_MODE_ONE_MODE_TEXT"));
    EXPECT_EQ(MacroStepList::ModeText(3, s), s.Get("SCRIPT_MODE_HOLD_MODE_TEXT"));
}

TEST(MacroStepList, RemoveTakesOnlyStepRows) {
    MacroCreator m = Numbered(3);
    EXPECT_FALSE(MacroStepList::RemoveRow(m, 0));
    EXPECT_FALSE(MacroStepList::RemoveRow(m, 4));
    EXPECT_EQ(m.arCurrentMacroScript.size(), 3u);
    EXPECT_TRUE(MacroStepList::RemoveRow(m, 2));
    EXPECT_EQ(Values(m), (std::vector<int>{1, 3}));
}

TEST(MacroStepList, AddAppendsABlankStepAndClearKeepsTheMode) {
    MacroCreator m = Numbered(1);
    m.bScriptMode = C::SCRIPT_MODE_FIRE_MODE;
    MacroStepList::AddBlank(m);
    ASSERT_EQ(m.arCurrentMacroScript.size(), 2u);
    EXPECT_EQ(m.arCurrentMacroScript[1].bScriptID, C::SCRIPT_COMMAND_BLANK);
    EXPECT_EQ(m.arCurrentMacroScript[1].nScriptSize, 0);
    MacroStepList::Clear(m);
    EXPECT_TRUE(m.arCurrentMacroScript.empty());
    EXPECT_EQ(m.bScriptMode, C::SCRIPT_MODE_FIRE_MODE);
}

TEST(MacroStepList, AppendTakesTheModeOnlyIntoAnEmptyScript) {
    MacroCreator m;
    MacroStepList::Append(m, {Interval(7)}, C::SCRIPT_MODE_LOOP_MODE);
    EXPECT_EQ(m.bScriptMode, C::SCRIPT_MODE_LOOP_MODE);
    MacroStepList::Append(m, {Interval(8)}, C::SCRIPT_MODE_HOLD_MODE);
    EXPECT_EQ(m.bScriptMode, C::SCRIPT_MODE_LOOP_MODE);
    EXPECT_EQ(Values(m), (std::vector<int>{7, 8}));
}

TEST(MacroStepList, SizeTellsHowMuchDoesNotFit) {
    // 3121 intervals of 3 bytes: 9363 bytes, one byte over; the last step is left out.
    MacroCreator m = Numbered(3121);
    const MacroStepList::Size size = MacroStepList::SizeOf(m);
    EXPECT_EQ(size.bytes, 9363u);
    EXPECT_EQ(size.limit, static_cast<size_t>(F::FM_SCRIPT_DATA_MAX_SIZE));
    EXPECT_FALSE(size.Fits());
    EXPECT_EQ(size.BytesOver(), 1u);
    EXPECT_EQ(size.StepsLeftOut(), 1u);
    const StringTable s;
    EXPECT_EQ(MacroStepList::SizeText(size, s), "Size: 9363 of 9362 bytes 1 bytes too long: the last 1 steps do not fit.");
    EXPECT_NE(MacroStepList::TooLongText(size, s).find("9363"), std::string::npos);
    m.arCurrentMacroScript.pop_back();
    EXPECT_TRUE(MacroStepList::SizeOf(m).Fits());
    EXPECT_EQ(MacroStepList::SizeText(MacroStepList::SizeOf(m), s), "Size: 9360 of 9362 bytes");
}

TEST(MacroStepKinds, PaletteMapsEachItemToItsKindColourAndDialogs) {
    EXPECT_EQ(MacroStepKinds::Palette().size(), 17u);
    EXPECT_EQ(MacroStepKinds::KindForIdentifier("ID_ITEM17"), C::SCRIPT_ICON_IDX_INTERVAL);
    EXPECT_EQ(MacroStepKinds::KindForIdentifier("ID_ITEM1"), C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS);
    EXPECT_EQ(MacroStepKinds::KindForIdentifier("ID_ITEM18"), C::SCRIPT_ICON_IDX_BLANK);
    EXPECT_EQ(MacroStepKinds::DialogOnDrop(C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS), MacroStepKinds::Dialog::None);
    EXPECT_EQ(MacroStepKinds::DialogOnDoubleClick(C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS), MacroStepKinds::Dialog::Distance);
    EXPECT_EQ(MacroStepKinds::DialogOnDrop(C::SCRIPT_ICON_IDX_INTERVAL), MacroStepKinds::Dialog::Number);
    EXPECT_EQ(MacroStepKinds::DialogOnDoubleClick(C::SCRIPT_ICON_IDX_BLANK), MacroStepKinds::Dialog::None);
    EXPECT_EQ(MacroStepKinds::ColourOf(C::SCRIPT_ICON_IDX_KEY_PRESS), MacroStepKinds::ColourGroup::Red);
    EXPECT_EQ(MacroStepKinds::ColourOf(C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE), MacroStepKinds::ColourGroup::Yellow);
    EXPECT_FALSE(MacroStepKinds::TintOf(MacroStepKinds::ColourGroup::None));
    EXPECT_DOUBLE_EQ(MacroStepKinds::TintOf(MacroStepKinds::ColourGroup::Blue)->alpha, 0.1);
    // Every kind is made by exactly one item.
    for (int32_t kind = 0; kind < 17; ++kind) {
        int items = 0;
        for (const auto& item : MacroStepKinds::Palette()) items += item.kind == kind ? 1 : 0;
        EXPECT_EQ(items, 1) << kind;
    }
}

TEST(MacroSlotName, AnUnnamedSlotIsListedAsUnnamedButItsFieldStaysEmpty) {
    const StringTable s;
    ScriptElem slot;
    EXPECT_EQ(MacroSlotName::ListText(slot, s), s.Get("MACRO_NAME_UNDEFINE"));
    EXPECT_TRUE(MacroSlotName::FieldText(slot).empty());
    slot.strScriptName = u"";
    EXPECT_EQ(MacroSlotName::ListText(slot, s), s.Get("MACRO_NAME_UNDEFINE"));
    slot.strScriptName = u"Brush";
    EXPECT_EQ(MacroSlotName::ListText(slot, s), "Brush");
    EXPECT_EQ(MacroSlotName::FieldText(slot), u"Brush");
    EXPECT_EQ(MacroSlotName::NumberText(0), "001");
    EXPECT_EQ(MacroSlotName::NumberText(149), "150");
    EXPECT_EQ(MacroSlotName::DialMacroChoiceText(5, slot, s), s.Get("FUNC_SETTING_CATEGOLY_MACRO") + "005: Brush");
}

TEST(DialMacroSetForm, UnsetRowsAreDroppedAndTheRestCloseUp) {
    const DialMacroInfo set = DialMacroSetForm::Build({5, 0, 12}, true);
    EXPECT_EQ(set.bDialMacroSetNum, 2);
    ASSERT_EQ(set.arDialMacroNoList.size(), 32u);
    EXPECT_EQ(set.arDialMacroNoList[0], 5);
    EXPECT_EQ(set.arDialMacroNoList[1], 12);
    for (size_t i = 2; i < 32; ++i) EXPECT_EQ(set.arDialMacroNoList[i], 0) << i;
    EXPECT_EQ(set.bDialMacroRoopFlag, C::ENCODER_SCRIPT_LOOP_SET_LOOP);
}

TEST(DialMacroSetForm, ASetWithEveryRowUnsetHoldsNothing) {
    const DialMacroInfo set = DialMacroSetForm::Build(std::vector<int>(32, 0), false);
    EXPECT_EQ(set.bDialMacroSetNum, 0);
    EXPECT_EQ(set.arDialMacroNoList, std::vector<uint8_t>(32, 0));
    EXPECT_EQ(set.bDialMacroRoopFlag, C::ENCODER_SCRIPT_LOOP_SET_NONE);
}

TEST(DialMacroSetForm, RowsBeyondThirtyTwoAndBadNumbersAreNotTaken) {
    std::vector<int> rows(40, 3);
    rows[0] = -4;
    rows[1] = 201;
    const DialMacroInfo set = DialMacroSetForm::Build(rows, false);
    EXPECT_EQ(set.bDialMacroSetNum, 30);
    EXPECT_EQ(set.arDialMacroNoList.size(), 32u);
}

TEST(DialMacroSetForm, RowsArePaddedAndChoicesListEveryUserScript) {
    DialMacroInfo set;
    set.arDialMacroNoList = {4, 7};
    set.bDialMacroRoopFlag = 1;
    const std::vector<int> rows = DialMacroSetForm::Rows(set);
    ASSERT_EQ(rows.size(), 32u);
    EXPECT_EQ(rows[1], 7);
    EXPECT_EQ(rows[2], 0);
    EXPECT_TRUE(DialMacroSetForm::Loop(set));
    const StringTable s;
    std::vector<ScriptElem> scripts(200);
    scripts[6].strScriptName = u"Zoom";
    const auto choices = DialMacroSetForm::Choices(scripts, s);
    ASSERT_EQ(choices.size(), 151u);
    EXPECT_EQ(choices[0].scriptNo, 0);
    EXPECT_EQ(choices[0].text, s.Get("MACRO_NAME_UNSETTING"));
    EXPECT_EQ(choices[7].text, s.Get("FUNC_SETTING_CATEGOLY_MACRO") + "007: Zoom");
    EXPECT_EQ(choices[150].text, s.Get("FUNC_SETTING_CATEGOLY_MACRO") + "150: " + s.Get("MACRO_NAME_UNDEFINE"));
}

// A decoded model of an erased device: every sector counts as not read.
class SlotStore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dm.DataInitializeFromMemory()); }
    MacroCreator Script(std::initializer_list<uint16_t> waits, uint8_t mode = 0) {
        MacroCreator m;
        m.bScriptMode = mode;
        for (uint16_t w : waits) m.arCurrentMacroScript.push_back(Interval(w));
        return m;
    }
    DataManager dm;
};

TEST_F(SlotStore, ASlotWhoseSectorWasNotReadIsNotWritten) {
    const int sector = MacroSlotStore::SectorOf(dm, 0);
    EXPECT_EQ(sector, 2);
    EXPECT_FALSE(dm.SectorReadFlag(sector));
    EXPECT_EQ(MacroSlotStore::Store(dm, 0, Script({5}), u"x"), MacroSlotStore::StoreResult::SectorNotLoaded);
    EXPECT_FALSE(dm.g_arSCE[0].IsStored());
    EXPECT_FALSE(dm.g_arSCE[0].strScriptName.has_value());
    EXPECT_FALSE(dm.pComQue().HasQue());
    // An empty sector needs no read: it counts as read at once.
    EXPECT_FALSE(MacroSlotStore::QueueSectorRead(dm, 0));
    EXPECT_TRUE(dm.SectorReadFlag(sector));
    EXPECT_EQ(MacroSlotStore::Store(dm, 0, Script({5}), u"x"), MacroSlotStore::StoreResult::Stored);
}

TEST_F(SlotStore, StoringKeepsTheOtherScriptsOfTheSector) {
    dm.SetSectorReadFlag(2, true);
    ASSERT_EQ(MacroSlotStore::Store(dm, 0, Script({0x0101}, 1), u"first"), MacroSlotStore::StoreResult::Stored);
    ASSERT_EQ(MacroSlotStore::Store(dm, 30, Script({0x0202, 0x0303}), u""), MacroSlotStore::StoreResult::Stored);
    ASSERT_EQ(MacroSlotStore::Store(dm, 0, Script({0x0404, 0x0505}, 2), u"again"), MacroSlotStore::StoreResult::Stored);
    const uint8_t* buf = dm.SectorBuffer(2);
    const ScriptElem& a = dm.g_arSCE[0];
    const ScriptElem& b = dm.g_arSCE[30];
    ASSERT_EQ(b.dwSaveSize, 6u);
    EXPECT_EQ(std::vector<uint8_t>(buf + b.dwSectorAddr, buf + b.dwSectorAddr + 6),
              (std::vector<uint8_t>{0x70, 2, 2, 0x70, 3, 3}));
    ASSERT_EQ(a.dwSaveSize, 6u);
    EXPECT_EQ(std::vector<uint8_t>(buf + a.dwSectorAddr, buf + a.dwSectorAddr + 6),
              (std::vector<uint8_t>{0x70, 4, 4, 0x70, 5, 5}));
    EXPECT_EQ(a.bScriptMode, 2);
    EXPECT_EQ(a.strScriptName, u"again");
    EXPECT_EQ(b.strScriptName, u"");
    EXPECT_EQ(dm.g_pSCTI.bTotalNum, 2);
    EXPECT_EQ(dm.g_pSCTI.dwTotalSize, 12u);
    // The model's encoded directory names both.
    EXPECT_TRUE(dm.pComQue().HasQue());
}

TEST_F(SlotStore, AScriptTooLongForASlotChangesNothing) {
    dm.SetSectorReadFlag(2, true);
    MacroCreator longScript;
    for (int i = 0; i < 3121; ++i) longScript.arCurrentMacroScript.push_back(Interval(1));
    EXPECT_EQ(MacroSlotStore::Store(dm, 0, longScript, u"long"), MacroSlotStore::StoreResult::TooLong);
    EXPECT_FALSE(dm.g_arSCE[0].IsStored());
    EXPECT_FALSE(dm.g_arSCE[0].strScriptName.has_value());
    EXPECT_FALSE(dm.pComQue().HasQue());
}

TEST_F(SlotStore, OnlyUserSlotsCanBeStored) {
    EXPECT_EQ(MacroSlotStore::Store(dm, -1, Script({1}), u""), MacroSlotStore::StoreResult::NoSlot);
    EXPECT_EQ(MacroSlotStore::Store(dm, C::SCRIPT_USER_USE_NUM, Script({1}), u""), MacroSlotStore::StoreResult::NoSlot);
    EXPECT_EQ(MacroSlotStore::SectorOf(dm, 150), 0);
    EXPECT_FALSE(MacroSlotStore::QueueSectorRead(dm, 150));
    EXPECT_EQ(MacroSlotStore::SlotScript(dm, 150), nullptr);
}

TEST_F(SlotStore, AReadThatDidNotCompleteIsNotDecoded) {
    // The directory names a script in sector 3 whose bytes never arrived.
    ScriptElem& slot = dm.g_arSCE[1];
    slot.dwSaveAddress = 3 * F::FM_SECTOR_SIZE;
    slot.dwSaveSize = 3;
    ASSERT_TRUE(MacroSlotStore::QueueSectorRead(dm, 1));
    EXPECT_FALSE(dm.SectorReadFlag(3));
    EXPECT_FALSE(MacroSlotStore::FinishSectorRead(dm, 1));
    EXPECT_FALSE(slot.pbRawData.has_value());
    EXPECT_EQ(MacroSlotStore::SlotScript(dm, 1), nullptr);
    EXPECT_EQ(MacroSlotStore::Store(dm, 31, Script({1}), u""), MacroSlotStore::StoreResult::SectorNotLoaded);
    // Once the sector's bytes are there it decodes.
    uint8_t* buf = dm.SectorBuffer(3);
    buf[0] = 0x70;
    buf[1] = 0;
    buf[2] = 9;
    dm.SetSectorReadFlag(3, true);
    EXPECT_TRUE(MacroSlotStore::FinishSectorRead(dm, 1));
    const MacroCreator* script = MacroSlotStore::SlotScript(dm, 1);
    ASSERT_NE(script, nullptr);
    ASSERT_EQ(script->arCurrentMacroScript.size(), 1u);
    EXPECT_EQ(script->arCurrentMacroScript[0].sOption, 9);
}

TEST(MacroEditorBaseline, WhatDiffersFromTheLastWriteOrExportIsUnsaved) {
    MacroEditorBaseline baseline;
    MacroCreator script;
    EXPECT_FALSE(baseline.IsUnsaved(script, u""));  // an empty editor holds nothing
    EXPECT_TRUE(baseline.IsUnsaved(script, u"Name"));
    script = Numbered(2);
    EXPECT_TRUE(baseline.IsUnsaved(script, u""));
    baseline.Take(script, u"Two");
    EXPECT_FALSE(baseline.IsUnsaved(script, u"Two"));
    EXPECT_TRUE(baseline.IsUnsaved(script, u"Other"));
    script.bScriptMode = C::SCRIPT_MODE_LOOP_MODE;
    EXPECT_TRUE(baseline.IsUnsaved(script, u"Two"));
    script.bScriptMode = 0;
    script.arCurrentMacroScript.push_back(Interval(9));
    EXPECT_TRUE(baseline.IsUnsaved(script, u"Two"));
}

TEST(DialMacroSetForm, RowsOrLoopOtherThanTheSetAreChanges) {
    DialMacroInfo set = DialMacroSetForm::Build({4, 0, 7}, true);
    std::vector<int> rows = DialMacroSetForm::Rows(set);
    EXPECT_FALSE(DialMacroSetForm::HasChanges(rows, true, set));
    EXPECT_TRUE(DialMacroSetForm::HasChanges(rows, false, set));
    rows[5] = 3;
    EXPECT_TRUE(DialMacroSetForm::HasChanges(rows, true, set));
}

}  // namespace
}  // namespace kelvadeck
