// The device commands of kelvadeck-cli, run in-process against --emulator
// image files, and once as the built program.

#include <gtest/gtest.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "core/DataManager.h"
#include "cli/CliOptions.h"
#include "cli/DeviceCommands.h"
#include "cli/DumpCommand.h"
#include "cli/MacroCommands.h"
#include "macro/MacroScriptFile.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "support/ReferenceImage.h"
#include "support/CliRunner.h"

namespace kelvadeck {
namespace {

namespace fs = std::filesystem;
using FC = FlashControl;

using testsupport::BuiltCliPath;
using testsupport::CliRun;
using testsupport::RunCli;

class CliDevice : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kelvadeck-cli-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    static std::vector<uint8_t> Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    static void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    // A fully used device image in a file.
    std::string ReferenceImageFile(const std::string& name) {
        DataManager dm;
        testsupport::BuildReferenceImage(dm);
        const std::string path = Path(name);
        Write(path, std::vector<uint8_t>(dm.WholeImage(), dm.WholeImage() + FC::FM_TOTAL_SIZE));
        return path;
    }
    static bool AllErased(const std::vector<uint8_t>& bytes) {
        return bytes.size() == FC::FM_TOTAL_SIZE && std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0xFF; });
    }
    fs::path dir;
};

TEST_F(CliDevice, InfoShowsConnectionAndFirmware) {
    const CliRun r = RunCli({"info", "--emulator"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Kelvadeck: connected (emulated)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Firmware: 1.02\n"), std::string::npos);
    EXPECT_NE(r.out.find("22EA:004B, usage page 0xFF00"), std::string::npos);
    EXPECT_TRUE(r.err.empty()) << r.err;

    const CliRun j = RunCli({"info", "--json", "--emulator"});
    ASSERT_EQ(j.code, 0);
    const auto doc = nlohmann::json::parse(j.out);
    EXPECT_EQ(doc["firmware"], "1.02");
    EXPECT_EQ(doc["connected"], true);
    EXPECT_EQ(doc["usagePage"], 0xFF00);
}

TEST_F(CliDevice, TracePrintsEveryReportAndTheExchangeCount) {
    const CliRun r = RunCli({"led", "100", "0", "50", "1", "--emulator", "--trace"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "LED preview: red 100, green 0, blue 50, brightness 1 for 20 s\n");
    std::string ff;
    for (int i = 8; i < 64; ++i) ff += " FF";
    EXPECT_NE(r.err.find("> 64 03 20 4E 01 64 00 32" + ff + "\n"), std::string::npos);
    EXPECT_NE(r.err.find("> 56 FF FF FF"), std::string::npos);
    EXPECT_NE(r.err.find("< 64 00"), std::string::npos);
    EXPECT_NE(r.err.find("exchanges: 241\n"), std::string::npos);  // the boot job's 240 and the preview
    const size_t sent = static_cast<size_t>(std::count(r.err.begin(), r.err.end(), '>'));
    EXPECT_EQ(sent, 241u);
}

TEST_F(CliDevice, LedRejectsValuesOutOfRange) {
    EXPECT_NE(RunCli({"led", "101", "0", "0", "--emulator"}).code, 0);
    EXPECT_NE(RunCli({"led", "0", "0", "0", "3", "--emulator"}).code, 0);
}

TEST_F(CliDevice, BackupWritesTheFlashAndRestoreWritesItBack) {
    const std::string source = ReferenceImageFile("source.mbf");
    const std::vector<uint8_t> image = Read(source);
    const std::string backup = Path("backup.mbf");
    const CliRun b = RunCli({"backup", backup, "--emulator=" + source});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_EQ(b.out, "Backed up 2097152 bytes to " + backup + "\n");
    EXPECT_EQ(Read(backup), image);
    EXPECT_EQ(Read(source), image);  // saved back unchanged

    const std::string target = Path("target.mbf");  // missing: an erased device
    const CliRun no = RunCli({"restore", backup, "--emulator=" + target}, "n\n");
    EXPECT_EQ(no.code, 3);
    EXPECT_NE(no.err.find("cancelled"), std::string::npos);
    EXPECT_TRUE(AllErased(Read(target)));

    const CliRun yes = RunCli({"restore", backup, "--emulator=" + target}, "y\n");
    ASSERT_EQ(yes.code, 0) << yes.err;
    EXPECT_EQ(yes.out, "Restored " + backup + " to the device\n");
    EXPECT_EQ(Read(target), image);
}

TEST_F(CliDevice, ResetErasesAfterConfirmation) {
    const std::string img = ReferenceImageFile("device.mbf");
    const std::vector<uint8_t> before = Read(img);
    const CliRun no = RunCli({"reset", "--emulator=" + img}, "");
    EXPECT_EQ(no.code, 3);
    EXPECT_EQ(Read(img), before);
    const CliRun yes = RunCli({"reset", "--yes", "--emulator=" + img});
    ASSERT_EQ(yes.code, 0) << yes.err;
    EXPECT_EQ(yes.out, "The device was reset to its factory state\n");
    EXPECT_TRUE(AllErased(Read(img)));
}

TEST_F(CliDevice, BadFilesAreRefusedWithOneLine) {
    const std::string shortFile = Path("short.mbf");
    Write(shortFile, std::vector<uint8_t>(1000, 0));
    const std::string img = Path("device.mbf");
    const CliRun r = RunCli({"restore", shortFile, "--yes", "--emulator=" + img});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(img));  // the device was never opened

    const CliRun badImage = RunCli({"info", "--emulator=" + shortFile});
    EXPECT_EQ(badImage.code, 1);
    EXPECT_NE(badImage.err.find("cannot use " + shortFile), std::string::npos);
    EXPECT_EQ(Read(shortFile).size(), 1000u);  // not overwritten

    const CliRun unwritable = RunCli({"backup", Path("no/such/dir/b.mbf"), "--emulator"});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.err.find("cannot write the backup file"), std::string::npos);
}

TEST_F(CliDevice, NoDeviceIsOneLineAndExitFour) {
    // No Kelvadeck on the machine that runs the tests (or no USB support built in).
    const CliRun r = RunCli({"info"});
    if (r.code == 0) GTEST_SKIP() << "a Kelvadeck is connected to this machine";
    EXPECT_EQ(r.code, 4);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(r.out.empty());
}

// What scripts rely on: the version, help with the exit statuses, and a
// wrong command line as one line on standard error with status 2.
TEST_F(CliDevice, TheCommandLineKeepsItsContract) {
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out;  // a part of standard output
        std::string err;  // a part of the one line on standard error ("" : no line)
    };
    const std::vector<Case> cases = {
        {{"--version"}, 0, std::string("kelvadeck-cli ") + KELVADECK_VERSION + "\n", ""},
        {{"--help"}, 0, "Exit status: 0 success, 1 failure", ""},
        {{"--help"}, 0, "Usage: kelvadeck-cli", ""},
        {{}, 2, "", "kelvadeck-cli: A command is required"},
        {{"--frobnicate"}, 2, "", "--frobnicate"},
        {{"info", "--emulator", "--emulator-faults", "nap=1"}, 2, "", "nap=1"},
        {{"led", "101", "0", "0", "--emulator"}, 2, "", "101"},
        {{"info", "--emulator", "--emulator-devices", "2"}, 4, "", "2 Kelvadecks are attached"},
        {{"info", "--emulator", "--device", "KD-NONE"}, 4, "", "No attached Kelvadeck is KD-NONE"},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args) line += a + " ";
        SCOPED_TRACE(line);
        const CliRun r = RunCli(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        if (c.err.empty()) {
            EXPECT_TRUE(r.err.empty()) << r.err;
        } else {
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        }
    }
}

// With several Kelvadecks attached, list shows them all and nothing is done
// to one the user did not name.
TEST_F(CliDevice, SeveralDevicesAreListedAndOnlyTheChosenOneIsWritten) {
    const std::string img = ReferenceImageFile("device.mbf");
    const std::vector<uint8_t> before = Read(img);
    const std::vector<std::string> two = {"--emulator=" + img, "--emulator-devices", "2"};
    const auto with = [&two](std::vector<std::string> args) {
        args.insert(args.end(), two.begin(), two.end());
        return args;
    };
    const CliRun list = RunCli(with({"list"}));
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out, "emulator:kelvadeck:1\tserial KD-EMU-0001\tfirmware 1.02\n"
                        "emulator:kelvadeck2:1\tserial KD-EMU-0002\tfirmware 1.02\n");
    const CliRun json = RunCli(with({"list", "--json"}));
    ASSERT_EQ(json.code, 0);
    EXPECT_EQ(nlohmann::json::parse(json.out).size(), 2u);

    EXPECT_EQ(RunCli(with({"reset", "--yes"})).code, 4);
    EXPECT_EQ(Read(img), before);
    EXPECT_EQ(RunCli(with({"reset", "--yes", "--device", "KD-EMU-0002"})).code, 0);
    EXPECT_EQ(Read(img), before) << "the other device was reset";
    EXPECT_EQ(RunCli(with({"reset", "--yes", "--device", "emulator:kelvadeck:1"})).code, 0);
    EXPECT_TRUE(AllErased(Read(img)));
}

// The first line where two outputs differ (a full diff of a dump is huge).
std::string FirstDifference(const std::string& a, const std::string& b) {
    std::istringstream x(a), y(b);
    std::string l, r;
    for (int n = 1;; ++n) {
        const bool more = static_cast<bool>(std::getline(x, l));
        const bool moreToo = static_cast<bool>(std::getline(y, r));
        if (!more && !moreToo) return "";
        if (l != r || more != moreToo) return "line " + std::to_string(n) + ":\n  " + l + "\n  " + r;
    }
}

TEST_F(CliDevice, DumpFromTheDeviceMatchesDumpOfTheImage) {
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> images = {
        {"reference", Read(ReferenceImageFile("reference.mbf"))},
        {"erased", std::vector<uint8_t>(FC::FM_TOTAL_SIZE, 0xFF)},
        {"stress 1", testsupport::DirectoryStressImage(1)},
        {"stress 2", testsupport::DirectoryStressImage(2)},
    };
    for (const auto& [name, image] : images) {
        SCOPED_TRACE(name);
        const std::string img = Path("device.mbf");
        // No job reads the fourth encoder script record (0x0A90..0x0ABF): the
        // device only knows three. Erased, it decodes alike either way.
        std::vector<uint8_t> bytes = image;
        std::fill(bytes.begin() + 0x0A90, bytes.begin() + 0x0AC0, 0xFF);
        Write(img, bytes);
        for (const bool json : {false, true}) {
            std::vector<std::string> device = {"dump", "--emulator=" + img};
            std::vector<std::string> file = {"dump", "--image", img};
            if (json) {
                device.push_back("--json");
                file.push_back("--json");
            }
            const CliRun a = RunCli(device);
            const CliRun b = RunCli(file);
            ASSERT_EQ(a.code, 0) << a.err;
            ASSERT_EQ(b.code, 0) << b.err;
            EXPECT_FALSE(a.out.empty());
            // The device adds only its firmware version, which an image does not hold.
            std::string expected = b.out;
            if (json) {
                auto doc = nlohmann::ordered_json::parse(b.out);
                doc["pSSI"]["strFirmwareVer"] = "1.02";
                expected = doc.dump(2) + "\n";
            } else {
                const std::string unknown = "Firmware: (unknown)\n";
                const size_t at = expected.find(unknown);
                ASSERT_NE(at, std::string::npos);
                expected.replace(at, unknown.size(), "Firmware: 1.02\n");
            }
            EXPECT_TRUE(a.out == expected) << FirstDifference(a.out, expected);
        }
    }
}

TEST_F(CliDevice, MacroImportShowAndExport) {
    const std::string img = ReferenceImageFile("device.mbf");
    // A script file: key press A, 300 ms, key release A, loop mode.
    const std::string text = Path("steps.txt");
    {
        std::ofstream t(text);
        t << "mode loop\nkey-press A\ninterval 300\nkey-release A\n";
    }
    const std::string mcdf = Path("in.mcdf");
    ASSERT_EQ(RunCli({"macro", "encode", text, "-o", mcdf}).code, 0);

    const CliRun imp = RunCli({"macro", "import", mcdf, "7", "--name", "Brush", "--yes", "--emulator=" + img});
    ASSERT_EQ(imp.code, 0) << imp.err;
    EXPECT_NE(imp.out.find("Script 7 written"), std::string::npos);

    const CliRun show = RunCli({"macro", "show", "7", "--emulator=" + img});
    ASSERT_EQ(show.code, 0) << show.err;
    EXPECT_NE(show.out.find("# script 7 \"Brush\""), std::string::npos) << show.out;
    const CliRun decode = RunCli({"macro", "decode", mcdf});
    ASSERT_EQ(decode.code, 0);
    // The listing after the comment line is macro decode's.
    EXPECT_EQ(show.out.substr(show.out.find('\n') + 1), decode.out);

    const std::string out = Path("out.mcdf");
    const CliRun exp = RunCli({"macro", "export", "7", out, "--emulator=" + img});
    ASSERT_EQ(exp.code, 0) << exp.err;
    EXPECT_EQ(Read(out), Read(mcdf));

    // The other scripts of the sector survived the rewrite.
    DataManager ref;
    testsupport::BuildReferenceImage(ref);
    const int sector = FC::ScriptSector(6);
    DataManager now;
    ASSERT_TRUE(now.ReadFile(img, now.WholeImage(), FC::FM_TOTAL_SIZE));
    ASSERT_TRUE(now.RenewMemBuf());
    ASSERT_TRUE(ref.RenewMemBuf());
    ref.SetScriptDataFromFlashSector(sector);
    now.SetScriptDataFromFlashSector(sector);
    for (int i = sector - 2; i < 200; i += 30) {
        if (i == 6) continue;
        EXPECT_EQ(now.g_arSCE[static_cast<size_t>(i)].pbRawData, ref.g_arSCE[static_cast<size_t>(i)].pbRawData) << i;
    }
}

TEST_F(CliDevice, MacroImportRefusesBadFilesBeforeTouchingTheDevice) {
    const std::string bad = Path("bad.mcdf");
    Write(bad, {3, 'Z', 'K', 'X'});
    const std::string img = Path("device.mbf");
    const CliRun r = RunCli({"macro", "import", bad, "3", "--yes", "--emulator=" + img});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(fs::exists(img));
    const CliRun slot = RunCli({"macro", "import", bad, "151", "--yes", "--emulator=" + img});
    EXPECT_NE(slot.code, 0);
}

TEST_F(CliDevice, ExportOfAnEmptySlotFails) {
    const CliRun r = RunCli({"macro", "export", "150", Path("x.mcdf"), "--emulator"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("empty"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("x.mcdf")));
}

// A misbehaving device reproduced from the command line: busy answers are
// waited out, refused live updates only warn, and a sector the device will
// not take keeps its bytes and is named.
TEST_F(CliDevice, EmulatorFaultsAreWaitedOutOrReported) {
    const std::string text = Path("steps.txt");
    {
        std::ofstream t(text);
        t << "mode once\nkey-press B\ninterval 40\nkey-release B\n";
    }
    const std::string mcdf = Path("in.mcdf");
    ASSERT_EQ(RunCli({"macro", "encode", text, "-o", mcdf}).code, 0);
    // A backup unlike the device in every byte.
    const std::vector<uint8_t> reference = Read(ReferenceImageFile("reference.mbf"));
    std::vector<uint8_t> inverted = reference;
    for (uint8_t& b : inverted) b = static_cast<uint8_t>(~b);
    const std::string backup = Path("inverted.mbf");
    Write(backup, inverted);
    const auto sectorOf = [](const std::vector<uint8_t>& image, int sector) {
        const auto at = image.begin() + static_cast<std::ptrdiff_t>(sector) * FC::FM_SECTOR_SIZE;
        return std::vector<uint8_t>(at, at + FC::FM_SECTOR_SIZE);
    };
    const auto slotHoldsTheScript = [&](const std::string& img) {
        const std::string out = Path("out.mcdf");
        fs::remove(out);
        const CliRun exp = RunCli({"macro", "export", "4", out, "--emulator=" + img});
        EXPECT_EQ(exp.code, 0) << exp.err;
        EXPECT_EQ(Read(out), Read(mcdf));
    };

    struct Case {
        std::string faults;
        std::vector<std::string> command;
        int code;
        bool warns;
        std::function<void(const std::string& img)> check;
    };
    const std::vector<Case> cases = {
        {"busy=20", {"macro", "import", mcdf, "4", "--yes"}, 0, false, slotHoldsTheScript},
        {"busy=20", {"backup", Path("b.mbf")}, 0, false, [&](const std::string&) { EXPECT_EQ(Read(Path("b.mbf")), reference); }},
        {"busy=20", {"restore", backup, "--yes"}, 0, false, [&](const std::string& img) { EXPECT_TRUE(Read(img) == inverted); }},
        {"busy=20,busy-code=0x61", {"reset", "--yes"}, 0, false, [&](const std::string& img) { EXPECT_TRUE(AllErased(Read(img))); }},
        {"refuse=0x36", {"macro", "import", mcdf, "4", "--yes"}, 0, true, slotHoldsTheScript},
        {"refuse-at=0x20000-0x2FFFF", {"restore", backup, "--yes"}, 1, false, [&](const std::string& img) {
             const std::vector<uint8_t> now = Read(img);
             for (int s = 0; s < static_cast<int>(FC::FM_SECTOR_NUM); ++s) {
                 EXPECT_TRUE(sectorOf(now, s) == sectorOf(s == 2 ? reference : inverted, s)) << "sector " << s;
             }
         }},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.faults + " " + c.command[0]);
        const std::string img = ReferenceImageFile("device" + std::to_string(i) + ".mbf");
        std::vector<std::string> args = c.command;
        args.insert(args.end(), {"--emulator=" + img, "--emulator-faults", c.faults});
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_EQ(r.err.find("warning:") != std::string::npos, c.warns) << r.err;
        if (c.code != 0) {
            EXPECT_NE(r.err.find("sector 2 "), std::string::npos) << r.err;
        }
        c.check(img);
    }
}

TEST_F(CliDevice, AMalformedFaultListIsAUsageErrorNamingIt) {
    for (const std::string& item : std::vector<std::string>{"busy=x", "frob=1", "refuse-at=0x30-0x10", "refuse=0x100", "drop=0", "unplug"}) {
        SCOPED_TRACE(item);
        const CliRun r = RunCli({"info", "--emulator", "--emulator-faults", "busy=1," + item});
        EXPECT_NE(r.code, 0);
        EXPECT_NE(r.err.find("\"" + item + "\""), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    const CliRun real = RunCli({"info", "--emulator-faults", "busy=1"});
    EXPECT_NE(real.code, 0);
    EXPECT_NE(real.err.find("--emulator"), std::string::npos) << real.err;
}

// The built program finds the preset files as the desktop application does,
// so a dial function taken from a preset names its file.
TEST_F(CliDevice, DumpNamesThePresetFileOfADialPreset) {
    const fs::path cli = BuiltCliPath();
    if (cli.empty() || !fs::exists(cli)) GTEST_SKIP() << "kelvadeck-cli is not built";
    DataManager dm;
    testsupport::BuildReferenceImage(dm);
    SelectItemElemForDial& sel = dm.g_arPSI[1].arSelectItemElemDF[2];
    sel.bItemID1_R = Constants::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET;
    sel.bItemID2_R = 0;
    sel.bItemID3_R = 1;
    ASSERT_TRUE(dm.DataOutputToMemory());
    for (int s = 0; s < 2; ++s) std::copy_n(dm.SectorBuffer(s), FC::FM_SECTOR_SIZE, dm.WholeImage() + s * FC::FM_SECTOR_SIZE);
    const std::string img = Path("preset.mbf");
    Write(img, std::vector<uint8_t>(dm.WholeImage(), dm.WholeImage() + FC::FM_TOTAL_SIZE));
    for (const std::string& source : {"--image " + img, "--emulator=" + img}) {
        SCOPED_TRACE(source);
        const std::string out = Path("dump.json");
        const std::string cmd = cli.string() + " dump --json " + source + " > " + out + " 2>/dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        std::ifstream in(out);
        const auto doc = nlohmann::json::parse(in);
        const auto& name = doc["arPSI"][1]["arDialFuncElemList"][2]["clsMacroR"]["strDatName"];
        ASSERT_TRUE(name.is_string()) << name.dump();
        const std::string path = name.get<std::string>();
        EXPECT_NE(path.find("presetdata/JA/macro_dial/000/001.dat"), std::string::npos) << path;
        EXPECT_TRUE(fs::exists(path)) << path;
    }
}

// The built program, end to end.
TEST_F(CliDevice, ProgramSmoke) {
    const fs::path cli = BuiltCliPath();
    if (cli.empty() || !fs::exists(cli)) GTEST_SKIP() << "kelvadeck-cli is not built";
    const std::string img = Path("smoke.mbf");
    const std::string backup = Path("smoke-backup.mbf");
    const std::string cmd = cli.string() + " backup " + backup + " --emulator=" + img + " > " + Path("out.txt") + " 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(AllErased(Read(backup)));
    EXPECT_TRUE(AllErased(Read(img)));
    const std::string fail = cli.string() + " restore " + Path("missing.mbf") + " --yes --emulator=" + img + " 2>/dev/null";
    const int status = std::system(fail.c_str());
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
}  // namespace kelvadeck
