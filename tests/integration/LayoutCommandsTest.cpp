// kelvadeck-cli layout: the shipped layouts, applying one to a mode of an
// emulated device (image files), saving a mode as a layout, and refusing bad
// layout files before the device is touched.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/DumpCommand.h"
#include "core/DataManager.h"
#include "export/ModeLayout.h"
#include "keys/KeyCode.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "support/CliRunner.h"
#include "support/ReferenceImage.h"

namespace kelvadeck {
namespace {

namespace fs = std::filesystem;
using C = Constants;
using FC = FlashControl;
using json = nlohmann::json;
using testsupport::CliRun;
using testsupport::RunCli;

std::vector<std::string> ShippedLayouts() {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(fs::path(KELVADECK_SOURCE_DIR) / "resources" / "layouts")) {
        if (e.path().extension() == ".json") files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The image of a model changed after BuildReferenceImage.
std::vector<uint8_t> Encoded(DataManager& dm) {
    EXPECT_TRUE(dm.DataOutputToMemory());
    for (size_t s = 0; s < FC::FM_SECTOR_NUM; ++s) {
        std::memcpy(dm.WholeImage() + s * FC::FM_SECTOR_SIZE, dm.SectorBuffer(static_cast<int>(s)), FC::FM_SECTOR_SIZE);
    }
    return std::vector<uint8_t>(dm.WholeImage(), dm.WholeImage() + FC::FM_TOTAL_SIZE);
}

class LayoutCommands : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kelvadeck-layout-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        // The user's own folders are the test's.
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            const char* old = std::getenv(name);
            saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            ::setenv(name, (dir / name).c_str(), 1);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string WriteImage(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return Path(name);
    }
    static void Load(const std::string& image, DataManager& dm) { EXPECT_EQ(DumpCommand::LoadImage(dm, image), ""); }
    CliRun Apply(const std::string& layout, const std::string& image, const std::string& mode = "2") {
        return RunCli({"layout", "apply", layout, "--mode", mode, "--yes", "--emulator=" + image});
    }

    fs::path dir;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

// Every shipped layout parses and checks, goes into mode 2 of a fully used
// device with its scripts in slots that were free, and leaves everything
// else as it was.
TEST_F(LayoutCommands, EveryShippedLayoutAppliesToOneModeAndLeavesTheRestAlone) {
    const std::vector<std::string> layouts = ShippedLayouts();
    ASSERT_GE(layouts.size(), 6u);
    const KeyCode keys;
    for (const std::string& file : layouts) {
        SCOPED_TRACE(file);
        const ModeLayout layout = ModeLayout::Read(ReadText(file), keys);
        ASSERT_TRUE(layout.ok()) << SettingsJson::Describe(layout.problems.front());
        EXPECT_FALSE(layout.about.applications.empty());
        EXPECT_FALSE(layout.about.sources.empty());

        const std::string image = WriteImage("ref.mbf", testsupport::ReferenceImageBytes());
        DataManager before, after;
        Load(image, before);
        const CliRun r = Apply(file, image);
        ASSERT_EQ(r.code, 0) << r.err;
        Load(image, after);

        EXPECT_TRUE(after.g_arPSI[0] == before.g_arPSI[0]);
        EXPECT_TRUE(after.g_arPSI[2] == before.g_arPSI[2]);
        EXPECT_EQ(after.g_pSSI, before.g_pSSI);
        for (size_t k = 0; k < C::ENCODER_SCRIPT_NUM; ++k) EXPECT_EQ(after.g_arDMI[k], before.g_arDMI[k]);
        size_t added = 0;
        for (size_t i = 0; i < before.g_arSCE.size(); ++i) {
            if (before.g_arSCE[i].IsStored()) {
                EXPECT_EQ(after.g_arSCE[i].pbRawData, before.g_arSCE[i].pbRawData) << "script " << i + 1;
                EXPECT_EQ(after.g_arSCE[i].strScriptName, before.g_arSCE[i].strScriptName) << "script " << i + 1;
            } else if (after.g_arSCE[i].IsStored()) {
                ++added;
            }
        }
        EXPECT_EQ(added, layout.scripts.size());

        // Mode 2 does what the layout says, key by key and direction by direction.
        const ProfileSettingInfo& m = after.g_arPSI[1];
        for (size_t b = 0; b < C::BUTTON_NUM; ++b) {
            EXPECT_EQ(m.arSwitchFuncElemList[b].clsMacroSW.cFuncData, layout.mode.arSwitchFuncElemList[b].clsMacroSW.cFuncData) << b;
            EXPECT_EQ(m.arSWSpScriptNo[b], layout.mode.arSWSpScriptNo[b]) << b;
            const int local = layout.mode.arSWScriptNo[b];
            if (local == 0) continue;
            const ScriptElem& played = after.g_arSCE[m.arSWScriptNo[b] - 1u];
            EXPECT_FALSE(before.g_arSCE[m.arSWScriptNo[b] - 1u].IsStored());
            EXPECT_EQ(played.pbRawData, layout.scripts[static_cast<size_t>(local - 1)].bytes);
        }
        for (size_t f = 0; f < C::FUNCTION_NUM; ++f) {
            const DialFuncElem& got = m.arDialFuncElemList[f];
            const DialFuncElem& want = layout.mode.arDialFuncElemList[f];
            EXPECT_EQ(got.strFunctionName, want.strFunctionName);
            EXPECT_EQ(got.clsMacroR.cFuncData, want.clsMacroR.cFuncData);
            EXPECT_EQ(got.clsMacroL.cFuncData, want.clsMacroL.cFuncData);
        }
    }
}

TEST_F(LayoutCommands, FollowAddsTheRuleForTheLayoutsApplications) {
    const std::string image = WriteImage("ref.mbf", testsupport::ReferenceImageBytes());
    const std::string krita = (fs::path(KELVADECK_SOURCE_DIR) / "resources" / "layouts" / "krita.json").string();
    const CliRun r = RunCli({"layout", "apply", krita, "--mode", "3", "--follow", "--yes", "--emulator=" + image});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string rules = ReadText(Path("XDG_CONFIG_HOME/kelvadeck/app-modes.conf"));
    EXPECT_NE(rules.find("krita = 3"), std::string::npos) << rules;
}

// A layout's script never goes over a stored one; with every user slot
// taken it is refused and nothing changes.
TEST_F(LayoutCommands, AScriptNeedsAFreeSlotOrTheLayoutIsRefused) {
    DataManager dm;
    testsupport::BuildReferenceImage(dm);
    for (int n = 1; n <= C::SCRIPT_USER_USE_NUM; ++n) {
        if (!dm.g_arSCE[static_cast<size_t>(n - 1)].IsStored()) dm.RenewMacroScriptInfo(n, testsupport::ReferenceScript(20, static_cast<uint8_t>(n)));
    }
    const std::vector<uint8_t> full = Encoded(dm);
    const std::string image = WriteImage("full.mbf", full);
    const std::string gimp = (fs::path(KELVADECK_SOURCE_DIR) / "resources" / "layouts" / "gimp.json").string();

    const CliRun refused = Apply(gimp, image);
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("only 0 of the user script slots (1 to 150) are free"), std::string::npos) << refused.err;
    std::ifstream in(image, std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}), full);
}

// A mode saved as a layout and applied to an erased device is the same mode:
// saved again, it gives the same file (its scripts taken along, a preset's
// script among them; keys the short forms cannot say in their full form).
TEST_F(LayoutCommands, SaveThenApplyGivesBackTheSameMode) {
    DataManager dm;
    testsupport::BuildReferenceImage(dm);
    // A multimedia key, which no short form says.
    dm.g_arPSI[0].arSelectItemElemSW[2] = SelectItemElemForSwich{C::APP_DATA_FUNC_CATEGORY_ID_MULTIMEDIA, 0, C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_MUTE};
    MacroCreator::CreateMacroForDialFuncMultimedia(dm.g_arPSI[0].arSwitchFuncElemList[2].clsMacroSW, C::SET_TYPE_MULTIMEDIA_MUTE, 0);
    const std::string ref = WriteImage("ref.mbf", Encoded(dm));
    for (const std::string mode : {"1", "2", "3"}) {
        SCOPED_TRACE("mode " + mode);
        const CliRun saved = RunCli({"layout", "save", Path("mine.json"), "--mode", mode, "--app", "krita", "--emulator=" + ref});
        ASSERT_EQ(saved.code, 0) << saved.err;
        const json first = json::parse(ReadText(Path("mine.json")));
        EXPECT_EQ(first["name"], "mine");

        const std::string erased = Path("erased" + mode + ".mbf");
        const CliRun applied = Apply(Path("mine.json"), erased, mode);
        ASSERT_EQ(applied.code, 0) << applied.err;
        ASSERT_EQ(RunCli({"layout", "save", Path("again.json"), "--mode", mode, "--app", "krita", "--emulator=" + erased}).code, 0);
        json again = json::parse(ReadText(Path("again.json")));
        again["name"] = "mine";
        EXPECT_EQ(again, first);
    }

    // A plain name is saved among the user's layouts, where list finds it.
    ASSERT_EQ(RunCli({"layout", "save", "my-krita", "--mode", "2", "--emulator=" + ref}).code, 0);
    EXPECT_TRUE(fs::exists(Path("XDG_DATA_HOME/kelvadeck/layouts/my-krita.json")));
    const CliRun list = RunCli({"layout", "list"});
    EXPECT_NE(list.out.find("my-krita"), std::string::npos) << list.out;
}

// A bad layout file gets one line naming the place and the fault, and the
// device is not touched.
TEST_F(LayoutCommands, ABadLayoutIsRefusedNamingTheFault) {
    const json good = json::parse(ReadText((fs::path(KELVADECK_SOURCE_DIR) / "resources" / "layouts" / "gimp.json").string()));
    struct Case {
        std::string text;
        std::string fault;
    };
    auto edited = [&good](const std::function<void(json&)>& edit) {
        json doc = good;
        edit(doc);
        return doc.dump();
    };
    const std::vector<Case> cases = {
        {"{\"format\": \"kelvadeck-layout\",", "the document: not valid JSON"},
        {edited([](json& d) { d["format"] = "kelvadeck-settings"; }), "format: must be \"kelvadeck-layout\""},
        {edited([](json& d) { d["mode"]["colour"]["red"] = 101; }), "mode.colour.red: 101 is out of range (0 to 100)"},
        {edited([](json& d) { d["mode"]["switches"][0]["keys"] = "Ctl+Z"; }), "mode.switches[0].keys: "},
        {edited([](json& d) { d["mode"]["dialFunctions"][1]["clockwise"]["sensitivity"] = 0; }),
         "mode.dialFunctions[1].clockwise.sensitivity: must be a whole number from 1 to 100"},
        {edited([](json& d) { d["mode"]["switches"][8]["script"] = 2; }), "mode.switches[8].script: script 2 is not among"},
        {edited([](json& d) { d["mode"]["switches"].erase(10); }), "mode.switches: must have 11 entries, it has 10"},
        {edited([](json& d) { d["applications"] = {"krita = 2"}; }), "applications[0]: cannot name an application"},
        {edited([](json& d) { d["mode"]["switches"][0]["category"] = {{"id", 4}}; }),
         "mode.switches[0]: gives \"keys\" beside the full form's \"category\" and \"action\"; give one form"},
    };
    const std::vector<uint8_t> reference = testsupport::ReferenceImageBytes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        std::ofstream(Path("bad.json"), std::ios::binary) << c.text;
        const std::string image = WriteImage("ref.mbf", reference);
        const CliRun r = Apply(Path("bad.json"), image);
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find("was not applied; nothing on the device was changed:\n  " + c.fault), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
        std::ifstream in(image, std::ios::binary);
        EXPECT_TRUE(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}) == reference);
    }
}

// The built program finds the installed layouts in the build tree.
TEST_F(LayoutCommands, TheProgramListsTheShippedLayouts) {
    const fs::path cli = testsupport::BuiltCliPath();
    if (cli.empty() || !fs::exists(cli)) GTEST_SKIP() << "kelvadeck-cli is not built";
    const std::string cmd = cli.string() + " layout list > " + Path("list.txt") + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string list = ReadText(Path("list.txt"));
    for (const char* name : {"krita", "gimp", "inkscape", "blender", "darktable", "mypaint"}) {
        EXPECT_NE(list.find(std::string(name) + "\t"), std::string::npos) << name << "\n" << list;
    }
    EXPECT_EQ(list.find("cannot be used"), std::string::npos) << list;
}

}  // namespace
}  // namespace kelvadeck
