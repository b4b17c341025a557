// export-json / import-json: the readable settings document, its checks, and
// the round trip through emulated devices (image files).

#include <gtest/gtest.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "core/DataManager.h"
#include "cli/CliOptions.h"
#include "cli/DeviceCommands.h"
#include "cli/DumpCommand.h"
#include "export/SettingsJson.h"
#include "cli/SettingsJsonCommands.h"
#include "keys/KeyCode.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "model/TextConvert.h"
#include "support/ReferenceImage.h"
#include "support/CliRunner.h"

namespace kelvadeck {
namespace {

namespace fs = std::filesystem;

std::string Describe(const SettingsJson::Plan& plan) {
    return plan.problems.empty() ? std::string() : SettingsJson::Describe(plan.problems.front());
}
using FC = FlashControl;
using C = Constants;
using json = nlohmann::json;

using testsupport::CliRun;
using testsupport::RunCli;

class SettingsJsonTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kelvadeck-json-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    static std::vector<uint8_t> ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    static std::string ReadText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string ReferenceImageFile(const std::string& name) {
        const std::string path = Path(name);
        const std::vector<uint8_t> bytes = testsupport::ReferenceImageBytes();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // The reference image exported to a document.
    json ExportReference() {
        const std::string image = ReferenceImageFile("ref.mbf");
        const CliRun r = RunCli({"export-json", Path("ref.json"), "--emulator=" + image});
        EXPECT_EQ(r.code, 0) << r.err;
        return json::parse(ReadText(Path("ref.json")));
    }
    // Imports doc onto image; the run's result.
    CliRun Import(const json& doc, const std::string& image, const std::string& input = "", bool yes = true) {
        WriteText(Path("in.json"), doc.dump(2));
        std::vector<std::string> args = {"import-json", Path("in.json"), "--emulator=" + image};
        if (yes) args.push_back("--yes");
        return RunCli(args, input);
    }
    fs::path dir;
};

// The decoded models of two images are the same, and so are the bytes,
// names and modes of every script slot.
void ExpectSameSettingsAndScripts(const std::string& expectedImage, const std::string& actualImage) {
    DataManager a, b;
    ASSERT_EQ(DumpCommand::LoadImage(a, expectedImage), "");
    ASSERT_EQ(DumpCommand::LoadImage(b, actualImage), "");
    StandardSettingInfo sa = a.g_pSSI, sb = b.g_pSSI;
    sa.strFirmwareVer.reset();
    sb.strFirmwareVer.reset();
    EXPECT_EQ(sa, sb);
    ASSERT_EQ(a.g_arPSI.size(), b.g_arPSI.size());
    for (size_t m = 0; m < a.g_arPSI.size(); ++m) EXPECT_TRUE(a.g_arPSI[m] == b.g_arPSI[m]) << "mode " << m + 1;
    // The dial macros the device uses (a settings write never transfers a fourth record).
    for (size_t k = 0; k < C::ENCODER_SCRIPT_NUM; ++k) EXPECT_EQ(a.g_arDMI[k], b.g_arDMI[k]) << "dial macro " << k + 1;
    ASSERT_EQ(a.g_arSCE.size(), b.g_arSCE.size());
    for (size_t i = 0; i < a.g_arSCE.size(); ++i) {
        const ScriptElem& x = a.g_arSCE[i];
        const ScriptElem& y = b.g_arSCE[i];
        EXPECT_EQ(x.IsStored(), y.IsStored()) << "script " << i + 1;
        if (!x.IsStored() || !y.IsStored()) continue;
        EXPECT_EQ(x.pbRawData, y.pbRawData) << "script " << i + 1;
        EXPECT_EQ(x.strScriptName, y.strScriptName) << "script " << i + 1;
        EXPECT_EQ(x.bScriptMode, y.bScriptMode) << "script " << i + 1;
    }
    EXPECT_EQ(a.g_pSCTI.bTotalNum, b.g_pSCTI.bTotalNum);
    EXPECT_EQ(a.g_pSCTI.dwTotalSize, b.g_pSCTI.dwTotalSize);
}

TEST_F(SettingsJsonTest, ExportNamesEverythingForPeople) {
    const json doc = ExportReference();
    EXPECT_EQ(doc["format"], "kelvadeck-settings");
    EXPECT_EQ(doc["version"], 1);
    EXPECT_EQ(doc["firmware"], "1.02");
    ASSERT_EQ(doc["modes"].size(), 3u);
    const json& mode = doc["modes"][0];
    EXPECT_EQ(mode["dialFunctions"].size(), 4u);
    EXPECT_EQ(mode["switches"].size(), 11u);
    EXPECT_EQ(mode["switches"][10]["switch"], "dial-push");
    EXPECT_TRUE(mode["colour"]["brightness"].is_string());
    EXPECT_EQ(doc["dialMacros"].size(), 3u);
    // Every action has its type by name and its record; categories carry names.
    size_t keyActions = 0;
    for (const json& m : doc["modes"]) {
        for (const json& f : m["dialFunctions"]) {
            for (const char* dir : {"clockwise", "counterClockwise"}) {
                const json& d = f[dir];
                EXPECT_TRUE(d["action"]["type"].is_string());
                EXPECT_EQ(d["action"]["record"].get<std::string>().size(), 8u * 3 - 1);
                if (d["action"]["type"] == "key") {
                    ++keyActions;
                    EXPECT_TRUE(d["action"]["key"].is_string());
                    EXPECT_TRUE(d["category"]["name"].is_string());
                    EXPECT_TRUE(d["function"]["name"].is_string());
                }
            }
        }
    }
    EXPECT_GT(keyActions, 0u);
    // The reference image holds 40 user scripts and two presets; steps as text.
    ASSERT_GE(doc["scripts"].size(), 40u);
    const json& s = doc["scripts"][0];
    EXPECT_TRUE(s["steps"].is_array());
    EXPECT_FALSE(s.contains("bytes"));
    EXPECT_NE(s["steps"][0].get<std::string>().find("key-"), std::string::npos) << s["steps"][0];
}

TEST_F(SettingsJsonTest, ExportThenImportOntoAnErasedDeviceGivesTheSameSettingsAndScripts) {
    const json doc = ExportReference();
    const std::string erased = Path("erased.mbf");  // missing file: an erased flash
    const CliRun r = Import(doc, erased);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("written to the device"), std::string::npos) << r.out;
    ExpectSameSettingsAndScripts(Path("ref.mbf"), erased);

    // And the copy exports to the same document.
    ASSERT_EQ(RunCli({"export-json", Path("copy.json"), "--emulator=" + erased}).code, 0);
    EXPECT_EQ(json::parse(ReadText(Path("copy.json"))), doc);
}

TEST_F(SettingsJsonTest, AnErasedDeviceExportsAndImportsToo) {
    const std::string a = Path("a.mbf");
    const CliRun exported = RunCli({"export-json", Path("a.json"), "--emulator=" + a});
    ASSERT_EQ(exported.code, 0);
    EXPECT_NE(exported.out.find("Settings of 3 modes and 0 scripts written"), std::string::npos) << exported.out;
    const json doc = json::parse(ReadText(Path("a.json")));
    EXPECT_TRUE(doc["scripts"].empty());
    const std::string b = ReferenceImageFile("b.mbf");
    const CliRun r = Import(doc, b);
    ASSERT_EQ(r.code, 0) << r.err;
    // The settings are those of the erased device; no script was in the file, so the scripts stay.
    DataManager dm;
    ASSERT_EQ(DumpCommand::LoadImage(dm, b), "");
    DataManager erased;
    ASSERT_EQ(DumpCommand::LoadImage(erased, a), "");
    EXPECT_TRUE(dm.g_arPSI == erased.g_arPSI);
    EXPECT_FALSE(dm.g_arPSI[0].arDialFuncElemList[0].strFunctionName.has_value());
    EXPECT_GE(dm.g_pSCTI.bTotalNum, 40);
}

TEST_F(SettingsJsonTest, ImportingOneScriptKeepsTheOthersOfItsSector) {
    json doc = ExportReference();
    const json first = doc["scripts"][0];
    const int number = first["number"];
    json one = first;
    one["name"] = "Undo twice";
    one["mode"] = "hold";
    one["steps"] = {"key-press Ctrl L", "key-press Z", "interval 30", "key-release Z", "key-release Ctrl L"};
    doc["scripts"] = json::array({one});
    doc["modes"][1]["dialFunctions"][2]["name"] = nullptr;  // drops the stored name
    const std::string image = Path("ref.mbf");
    DataManager before;
    ASSERT_EQ(DumpCommand::LoadImage(before, image), "");
    const CliRun r = Import(doc, image);
    ASSERT_EQ(r.code, 0) << r.err;

    DataManager after;
    ASSERT_EQ(DumpCommand::LoadImage(after, image), "");
    const ScriptElem& s = after.g_arSCE[static_cast<size_t>(number - 1)];
    EXPECT_EQ(s.strScriptName, std::u16string(u"Undo twice"));
    EXPECT_EQ(s.bScriptMode, C::SCRIPT_MODE_HOLD_MODE);
    EXPECT_EQ(s.pbRawData, (std::vector<uint8_t>{0x41, 0xE0, 0x41, 0x1D, 0x70, 0x00, 0x1E, 0x40, 0x1D, 0x40, 0xE0}));
    for (size_t i = 0; i < before.g_arSCE.size(); ++i) {
        if (static_cast<int>(i) == number - 1) continue;
        EXPECT_EQ(before.g_arSCE[i].pbRawData, after.g_arSCE[i].pbRawData) << "script " << i + 1;
        EXPECT_EQ(before.g_arSCE[i].strScriptName, after.g_arSCE[i].strScriptName) << "script " << i + 1;
    }
    EXPECT_FALSE(after.g_arPSI[1].arDialFuncElemList[2].strFunctionName.has_value());
    EXPECT_TRUE(before.g_arPSI[1].arDialFuncElemList[2].strFunctionName.has_value());
}

// Each broken document is refused as a whole, naming the place and the
// fault, and the device is not touched.
TEST_F(SettingsJsonTest, ABrokenDocumentIsRefusedNamingWhatIsWrong) {
    const json good = ExportReference();
    struct Case {
        std::function<void(json&)> edit;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {[](json& d) { d["format"] = "something-else"; }, "format: must be \"kelvadeck-settings\""},
        {[](json& d) { d["version"] = 2; }, "version: version 2 is not known"},
        {[](json& d) { d["modes"][1]["colour"]["red"] = 101; }, "modes[1].colour.red: 101 is out of range (0 to 100)"},
        {[](json& d) { d["modes"][0]["dialFunctions"][3]["colour"]["brightness"] = "bright"; },
         "modes[0].dialFunctions[3].colour.brightness: must be one of \"normal\", \"dark\", \"light\""},
        {[](json& d) { d["modes"][2]["switches"][4].erase("action"); }, "modes[2].switches[4].action: missing"},
        {[](json& d) { d["modes"][0]["switches"][0]["action"]["record"] = "09 02 04"; },
         "modes[0].switches[0].action.record: must be 8 bytes, it has 3"},
        {[](json& d) { d["modes"][0]["dialFunctions"][0]["clockwise"]["action"]["typeId"] = 44; },
         "modes[0].dialFunctions[0].clockwise.action.typeId: does not match the record"},
        {[](json& d) { d["modes"][0]["dialFunctions"][1]["name"] = std::string(32, 'x'); },
         "modes[0].dialFunctions[1].name: is too long: at most 31 characters"},
        {[](json& d) { d["modes"].erase(2); }, "modes: must have 3 entries, it has 2"},
        {[](json& d) { d["modes"][0]["switches"][0]["script"]["number"] = 201; },
         "modes[0].switches[0].script.number: 201 is out of range (0 to 200)"},
        {[](json& d) { d["dialMacros"][0]["loop"] = 1; }, "dialMacros[0].loop: must be true or false"},
        {[](json& d) { d["device"]["ledOffTime"] = "long"; }, "device.ledOffTime: must be a whole number from 0 to 180"},
        {[](json& d) { d["scripts"][1]["steps"][1] = "key-press Nowhere"; }, "scripts[1].steps[1]: "},
        {[](json& d) { d["scripts"][2]["number"] = d["scripts"][0]["number"]; }, "scripts[2].number: script "},
        {[](json& d) { d["scripts"][0]["mode"] = "twice"; }, "scripts[0].mode: must be \"once\""},
        {[](json& d) { d["modes"][1]["switches"][3]["switch"] = "SW9"; }, "modes[1].switches[3].switch: must be \"SW4\" here"},
    };
    const std::string image = Path("ref.mbf");
    const std::vector<uint8_t> original = ReadBytes(image);
    for (size_t i = 0; i < cases.size(); ++i) {
        json doc = good;
        cases[i].edit(doc);
        const CliRun r = Import(doc, image);
        EXPECT_EQ(r.code, 1) << "case " << i;
        EXPECT_NE(r.err.find("nothing on the device was changed"), std::string::npos) << "case " << i << ": " << r.err;
        EXPECT_NE(r.err.find(cases[i].expected), std::string::npos) << "case " << i << ": " << r.err;
    }
    EXPECT_EQ(ReadBytes(image), original);

    // Not JSON at all, and a script over the device's limit.
    WriteText(Path("bad.json"), "{\"format\": \"kelvadeck-settings\",");
    CliRun r = RunCli({"import-json", Path("bad.json"), "--emulator=" + image, "--yes"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("the document: not valid JSON"), std::string::npos) << r.err;
    // A key given twice: which of the two was meant cannot be told.
    std::string twice = good.dump();
    twice.insert(twice.find("\"device\":{") + 10, "\"dialRepeat\":\"press\",");
    WriteText(Path("twice.json"), twice);
    r = RunCli({"import-json", Path("twice.json"), "--emulator=" + image, "--yes"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("device.dialRepeat: is given twice"), std::string::npos) << r.err;
    twice = good.dump();
    twice.insert(twice.find("\"number\":", twice.rfind("\"scripts\":[")), "\"mode\":\"once\",");  // in scripts[0]
    EXPECT_EQ(Describe(SettingsJson::Read(twice, KeyCode())), "scripts[0].mode: is given twice; a key may appear once in an object");
    json big = good;
    big["scripts"][0]["steps"] = json::array();
    for (int i = 0; i < 5000; ++i) big["scripts"][0]["steps"].push_back("key-press A");
    r = Import(big, image);
    EXPECT_NE(r.err.find("scripts[0]: has 10000 bytes; a script slot holds at most 9362"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(image), original);
}

TEST_F(SettingsJsonTest, ImportAsksFirstAndNoLeavesTheDeviceAlone) {
    json doc = ExportReference();
    doc["modes"][0]["colour"]["red"] = 7;
    const std::string image = Path("ref.mbf");
    const std::vector<uint8_t> original = ReadBytes(image);
    CliRun r = Import(doc, image, "n\n", false);
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("Write the settings and"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(image), original);
    r = Import(doc, image, "y\n", false);
    EXPECT_EQ(r.code, 0) << r.err;
    DataManager dm;
    ASSERT_EQ(DumpCommand::LoadImage(dm, image), "");
    EXPECT_EQ(dm.g_arPSI[0].bLEDDutyR, 7);
}

// A name as the device may hold it, put there by anything: a length byte
// and the UTF-16 units after it.
struct StoredName {
    uint8_t length;
    std::u16string units;
};

void Store(uint8_t* field, const StoredName& name) {
    field[0] = name.length;
    for (size_t k = 0; k < name.units.size(); ++k) {
        field[1 + 2 * k] = static_cast<uint8_t>(name.units[k]);
        field[2 + 2 * k] = static_cast<uint8_t>(name.units[k] >> 8);
    }
}

// Whatever name the device holds, its export imports: the document holds the
// name as a write keeps it, and importing it gives the same document again.
TEST_F(SettingsJsonTest, EveryStoredNameExportsToADocumentThatImports) {
    std::u16string pairs;
    for (int i = 0; i < 63; ++i) pairs += u"\U0001F58C";
    struct Case {
        const char* what;
        StoredName script;
        StoredName function;
        std::u16string scriptExported;
        std::u16string functionExported;
    };
    const std::vector<Case> cases = {
        {"odd lengths: one unit more than a write keeps", {253, std::u16string(127, u'a')}, {61, std::u16string(31, u'f')},
         std::u16string(126, u'a'), std::u16string(31, u'f')},
        {"a pair across the write's cut", {253, u"x" + pairs}, {62, pairs.substr(0, 31)}, u"x" + pairs.substr(0, 124),
         pairs.substr(0, 30) + u"\uFFFD"},
        {"unpaired surrogates", {5, {u'a', 0xD800, u'b'}}, {6, {0xDC00, u'c', 0xD83D}}, u"a\uFFFDb", u"\uFFFDc\uFFFD"},
        {"empty", {0, u""}, {0, u""}, u"", u""},
    };
    const KeyCode keys;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DataManager dm;
        for (int sector = 0; sector < static_cast<int>(FC::FM_SECTOR_NUM); ++sector) dm.SetSectorReadFlag(sector, true);
        ASSERT_TRUE(dm.DataInitializeFromMemory());
        ASSERT_TRUE(dm.RenewMacroScriptInfo(1, testsupport::ReferenceScript(20, 1)));
        ASSERT_TRUE(dm.DataOutputToMemory());
        Store(dm.SectorBuffer(1) + FC::ScriptRecordOffset(0) + FC::FM_OFSET_SCRIPT_NAME_SIZE, c.script);
        Store(dm.SectorBuffer(0) + FC::FunctionNameAddress(0, 0) + FC::FM_OFSET_FUNCTION_NAME_SIZE, c.function);
        ASSERT_TRUE(dm.DataInitializeFromMemory());
        dm.SetScriptDataFromFlashSector(FC::ScriptSector(0));

        const std::string text = SettingsJson::Export(dm).dump();
        const SettingsJson::Plan plan = SettingsJson::Read(text, keys);
        ASSERT_TRUE(plan.ok()) << SettingsJson::Describe(plan.problems.front());
        ASSERT_EQ(plan.scripts.size(), 1u);
        EXPECT_EQ(plan.scripts[0].name, c.scriptExported);
        EXPECT_EQ(plan.modes[0].arDialFuncElemList[0].strFunctionName, c.functionExported);

        DataManager erased;
        for (int sector = 0; sector < static_cast<int>(FC::FM_SECTOR_NUM); ++sector) erased.SetSectorReadFlag(sector, true);
        ASSERT_TRUE(erased.DataInitializeFromMemory());
        std::string error;
        ASSERT_TRUE(SettingsJson::Apply(plan, erased, error)) << error;
        EXPECT_EQ(SettingsJson::Export(erased).dump(), text);
    }
}

TEST_F(SettingsJsonTest, ReadNeverThrowsOnOddDocuments) {
    const KeyCode keys;
    for (const char* text : {"", "null", "[]", "42", "{\"format\":1}", "{\"format\":\"kelvadeck-settings\",\"version\":1}",
                             "{\"format\":\"kelvadeck-settings\",\"version\":1,\"modes\":[1,2,3],\"device\":[],"
                             "\"dialMacros\":{},\"scripts\":[null,{\"number\":-1}]}",
                             "{\"format\":\"kelvadeck-settings\",\"version\":1.0e400}"}) {
        const SettingsJson::Plan plan = SettingsJson::Read(text, keys);
        EXPECT_FALSE(plan.ok()) << text;
        for (const auto& p : plan.problems) EXPECT_FALSE(p.reason.empty()) << text;
    }
}

}  // namespace
}  // namespace kelvadeck
