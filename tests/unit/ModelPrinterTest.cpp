#include <gtest/gtest.h>

#include <filesystem>

#include "cli/DumpCommand.h"
#include "cli/ModelPrinter.h"
#include "support/ReferenceImage.h"

using namespace kelvadeck;

namespace {

std::string SaveReferenceImage(const std::string& name) {
    DataManager dm;
    testsupport::BuildReferenceImage(dm);
    const std::string path = testing::TempDir() + "/" + name;
    EXPECT_TRUE(dm.SaveFile(path, dm.WholeImage(), FlashControl::FM_TOTAL_SIZE));
    return path;
}

}  // namespace

TEST(ModelPrinter, JsonNestsTheModelWithItsFieldNames) {
    const std::string path = SaveReferenceImage("printer_ref.mbf");
    DataManager dm;
    ASSERT_EQ(DumpCommand::LoadImage(dm, path), "");
    dm.g_arPSI[1].arDialFuncElemList[2].clsMacroL.cMoveX = -5;
    const auto json = ModelPrinter::ToJson(dm);

    EXPECT_TRUE(json["pSSI"]["strFirmwareVer"].is_null());
    EXPECT_EQ(json["pSSI"]["bLEDOffTimer"], 60);
    ASSERT_EQ(json["arPSI"].size(), 3u);
    const auto& mode = json["arPSI"][1];
    EXPECT_EQ(mode["arSWScriptNo"].size(), 11u);
    EXPECT_EQ(mode["bLEDDutyG"], 100);
    ASSERT_EQ(mode["arDialFuncElemList"].size(), 4u);
    const auto& func = mode["arDialFuncElemList"][2];
    EXPECT_EQ(func["strFunctionName"], "Function 3");
    EXPECT_EQ(func["clsMacroR"]["cFuncData"], "0901300000000050");
    EXPECT_EQ(func["clsMacroR"]["pStrKey"], "]");
    EXPECT_EQ(func["clsMacroL"]["cMoveX"], -5) << "signed fields are signed";
    EXPECT_TRUE(func["clsMacroR"]["strDatName"].is_null());
    EXPECT_EQ(mode["arSelectItemElemDF"][0]["bItemID1_R"], Constants::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY);
    EXPECT_EQ(mode["arSwitchFuncElemList"].size(), 11u);
    EXPECT_TRUE(mode["arSwitchFuncElemList"][2].contains("clsMacroSW"));
    EXPECT_EQ(mode["arSelectItemElemSW"][0]["bItemID1"], Constants::APP_DATA_FUNC_CATEGORY_ID_MACRO);
    EXPECT_EQ(json["arDMI"].size(), 4u);
    EXPECT_EQ(json["arDMI"][0]["arDialMacroNoList"].size(), 32u);
    EXPECT_EQ(json["pSCTI"]["bTotalNum"], 42);
    ASSERT_EQ(json["arSCE"].size(), 200u);
    const auto& script = json["arSCE"][0];
    EXPECT_EQ(script["dwSaveAddress"], 0x20000);
    EXPECT_EQ(script["nSectorNo"], 2);
    EXPECT_TRUE(script["strScriptName"].is_string());
    EXPECT_FALSE(script["arCurrentMacroScript"].empty());
    EXPECT_TRUE(json["arSCE"][199]["strScriptName"].is_null());
    EXPECT_EQ(json["arSCE"][199]["dwSaveSize"], 0);
}

TEST(ModelPrinter, TextNamesModesKeysAndScripts) {
    const std::string path = SaveReferenceImage("printer_text.mbf");
    DataManager dm;
    ASSERT_EQ(DumpCommand::LoadImage(dm, path), "");
    const std::string text = ModelPrinter::ToText(dm);
    EXPECT_NE(text.find("Mode 3"), std::string::npos);
    EXPECT_NE(text.find("Push switch"), std::string::npos);
    EXPECT_NE(text.find("\"Function 1\""), std::string::npos);
    EXPECT_NE(text.find("Scripts: 42 stored"), std::string::npos);
}

TEST(DumpCommand, RefusesFilesThatAreNoBackup) {
    DataManager dm;
    const std::string small = testing::TempDir() + "/not_a_backup.mbf";
    const uint8_t bytes[10] = {};
    ASSERT_TRUE(dm.SaveFile(small, bytes, sizeof bytes));
    EXPECT_NE(DumpCommand::LoadImage(dm, small).find("exactly 2097152"), std::string::npos);
    EXPECT_NE(DumpCommand::LoadImage(dm, small + ".missing"), "");
    EXPECT_FALSE(dm.bDataInitialize());
}
