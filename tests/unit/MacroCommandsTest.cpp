// `kelvadeck-cli macro decode` and `macro encode`.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/MacroCommands.h"
#include "macro/MacroScriptFile.h"

namespace kelvadeck {
namespace {

using Bytes = std::vector<uint8_t>;

struct CliRun {
    int status = 0;
    std::string out;
    std::string err;
};

CliRun Decode(std::vector<std::string> input, bool json = false, std::string layout = "us") {
    MacroCommands::DecodeArgs args;
    args.input = std::move(input);
    args.json = json;
    args.layout = std::move(layout);
    std::ostringstream out;
    std::ostringstream err;
    CliRun r;
    r.status = MacroCommands::Decode(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

CliRun Encode(const std::string& text, std::string output = {}, std::optional<std::string> mode = std::nullopt,
           std::string input = {}) {
    MacroCommands::EncodeArgs args;
    args.input = std::move(input);
    args.output = std::move(output);
    args.mode = std::move(mode);
    std::istringstream in(text);
    std::ostringstream out;
    std::ostringstream err;
    CliRun r;
    r.status = MacroCommands::Encode(args, in, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

size_t Lines(const std::string& s) { return static_cast<size_t>(std::count(s.begin(), s.end(), '\n')); }

class MacroCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        m_dir = std::filesystem::temp_directory_path() / ("kelvadeck-macro-cli-" + std::to_string(rd()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    void Write(const std::string& name, const Bytes& bytes) const {
        std::string error;
        ASSERT_TRUE(MacroScriptFile::WriteFile(Path(name), bytes, error)) << error;
    }
    Bytes Read(const std::string& name) const { return MacroScriptFile::ReadFile(Path(name), 1 << 20).value_or(Bytes{}); }

    std::filesystem::path m_dir;
};

TEST_F(MacroCommandsTest, DecodeHex) {
    const CliRun r = Decode({"41", "04", "70", "01", "2C", "40", "04"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Lines(r.out), 3u);
    EXPECT_NE(r.out.find("key-press 0x04"), std::string::npos);
    EXPECT_NE(r.out.find("interval 300"), std::string::npos);
    EXPECT_NE(r.out.find("| 300\n"), std::string::npos);
    EXPECT_EQ(r.out.find("mode"), std::string::npos);  // bare bytes carry no mode

    EXPECT_EQ(Decode({"41 04 70 01 2C 40 04"}).out, r.out);
}

TEST_F(MacroCommandsTest, DecodeStopsAtABadStep) {
    const CliRun r = Decode({"41 04 99"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.out), 1u);  // the step before the fault is still shown
    EXPECT_EQ(Lines(r.err), 1u);
    EXPECT_NE(r.err.find("unknown command byte 0x99 at byte 2"), std::string::npos) << r.err;

    const CliRun cut = Decode({"70 01"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.err.find("cut off"), std::string::npos) << cut.err;
}

TEST_F(MacroCommandsTest, DecodeRejectsWhatIsNeitherFileNorHex) {
    for (const std::vector<std::string>& input :
         {std::vector<std::string>{"nothing.mcdf"}, std::vector<std::string>{"41", "0"}, std::vector<std::string>{}}) {
        const CliRun r = Decode(input);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(Lines(r.err), 1u) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const CliRun layout = Decode({"41 04"}, false, "dvorak");
    EXPECT_EQ(layout.status, 1);
    EXPECT_NE(layout.err.find("layout"), std::string::npos);
}

TEST_F(MacroCommandsTest, DecodeScriptFilesAndPresetScripts) {
    Write("loop.mcdf", *MacroScriptFile::BuildBytes(1, {0x29, 0x21}));
    Write("preset.mcdf", {0x41, 0xE0, 0x41, 0x1D, 0x40, 0x1D, 0x40, 0xE0});  // raw bytes: Ctrl+Z
    Write("bad.mcdf", {0x03, 'Z', 'K', 'W', 0x0E, 0, 0, 0, 0x07, 0x01, 0, 0, 0, 0x62});

    const CliRun file = Decode({Path("loop.mcdf")});
    EXPECT_EQ(file.status, 0);
    EXPECT_EQ(file.out.substr(0, 10), "mode loop\n");
    EXPECT_NE(file.out.find("mouse-click left"), std::string::npos);
    EXPECT_NE(file.out.find("mouse-release left"), std::string::npos);

    const CliRun preset = Decode({Path("preset.mcdf")});
    EXPECT_EQ(preset.status, 0);
    EXPECT_EQ(Lines(preset.out), 4u);
    EXPECT_NE(preset.out.find("key-press 0xE0"), std::string::npos);

    const CliRun bad = Decode({Path("bad.mcdf")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("play mode"), std::string::npos) << bad.err;
}

TEST_F(MacroCommandsTest, DecodeJson) {
    const CliRun r = Decode({"41 04 2A 6A 06"}, true);
    ASSERT_EQ(r.status, 0);
    const nlohmann::json doc = nlohmann::json::parse(r.out);
    EXPECT_TRUE(doc["complete"].get<bool>());
    EXPECT_TRUE(doc["mode"].is_null());
    EXPECT_EQ(doc["size"], 5);
    ASSERT_EQ(doc["steps"].size(), 3u);
    const auto& key = doc["steps"][0];
    EXPECT_EQ(key["kind"], "key-press");
    EXPECT_EQ(key["bScriptID"], 0x41);
    EXPECT_EQ(key["bControlItemNo"], 1);
    EXPECT_EQ(key["nScriptSize"], 2);
    EXPECT_EQ(key["cOption1"], 4);
    EXPECT_EQ(key["strAnalyzeRet1"], "A");
    EXPECT_TRUE(key["strAnalyzeRet2"].is_null());
    EXPECT_EQ(key["value"], "A");
    const auto& click = doc["steps"][1];
    EXPECT_EQ(click["text"], "mouse-click right");
    EXPECT_EQ(click["cOption1"], 2);  // the button's report bit
    EXPECT_EQ(click["cOption2"], 2);  // the mouse dialog's button
    EXPECT_EQ(doc["steps"][2]["text"], "hat-press west");

    const CliRun partial = Decode({"41 04 99"}, true);
    EXPECT_EQ(partial.status, 1);
    const nlohmann::json stopped = nlohmann::json::parse(partial.out);
    EXPECT_FALSE(stopped["complete"].get<bool>());
    EXPECT_EQ(stopped["steps"].size(), 1u);
}

TEST_F(MacroCommandsTest, EncodeWritesAScriptFile) {
    const CliRun r = Encode("mode loop\nkey-press A\ninterval 300\nkey-release A\n", Path("out.mcdf"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Read("out.mcdf"), (Bytes{0x03, 0x5A, 0x4B, 0x57, 0x14, 0, 0, 0, 0x01, 0x07, 0, 0, 0, 0x41, 0x04, 0x70,
                                       0x01, 0x2C, 0x40, 0x04}));

    // --mode wins over the text's mode line; without any the script plays once.
    ASSERT_EQ(Encode("mode loop\nhat-release\n", Path("hold.mcdf"), "hold").status, 0);
    EXPECT_EQ(Read("hold.mcdf")[8], 3);
    ASSERT_EQ(Encode("hat-release\n", Path("once.mcdf")).status, 0);
    EXPECT_EQ(Read("once.mcdf")[8], 0);
}

TEST_F(MacroCommandsTest, EncodeWithoutOutputPrintsHex) {
    const CliRun r = Encode("key-press A\nmouse-click left\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "41 04 29\n");
}

TEST_F(MacroCommandsTest, EncodeReadsAFile) {
    std::ofstream(Path("steps.txt")) << "stick-left -1 1\n";
    const CliRun r = Encode("ignored", {}, std::nullopt, Path("steps.txt"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "6B FF 01\n");
    const CliRun missing = Encode("", {}, std::nullopt, Path("none.txt"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(Lines(missing.err), 1u);
}

TEST_F(MacroCommandsTest, EncodeErrors) {
    struct Case {
        const char* name;
        std::string text;
        std::optional<std::string> mode;
        std::string output;
        const char* says;
    };
    std::string tooLong;
    for (int i = 0; i < 3121; ++i) tooLong += "mouse-move 1 1\n";  // 9363 bytes
    const std::vector<Case> cases = {
        {"bad line", "key-press A\nfly away\n", std::nullopt, "", "<stdin>:2: unknown step"},
        {"bad mode", "hat-release\n", "sometimes", "", "unknown mode"},
        {"too long", tooLong, std::nullopt, "", "9363 bytes, 1 over"},
        {"unwritable", "hat-release\n", std::nullopt, "/nonexistent-dir/x.mcdf", "could not be written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun r = Encode(c.text, c.output, c.mode);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(Lines(r.err), 1u);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    const CliRun r = Encode(tooLong, Path("long.mcdf"));
    EXPECT_NE(r.err.find("the last 1 of 3121 steps do not fit"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(Path("long.mcdf")));
}

// What decode prints, encode reads back to the same file.
TEST_F(MacroCommandsTest, DecodeThenEncode) {
    const Bytes file = *MacroScriptFile::BuildBytes(2, {0x41, 0xE1, 0x41, 0x04, 0x70, 0x00, 0x05, 0x40, 0x04, 0x40, 0xE1,
                                                        0x31, 0x00, 0x33, 0x80, 0x7F, 0x43, 0x0B, 0x61, 0x0E, 0x64});
    Write("in.mcdf", file);
    const CliRun listing = Decode({Path("in.mcdf")});
    ASSERT_EQ(listing.status, 0);
    ASSERT_EQ(Encode(listing.out, Path("out.mcdf")).status, 0);
    EXPECT_EQ(Read("out.mcdf"), file);
}

#ifdef KELVADECK_CLI_PATH
// The built program: registration, exit status and the two streams.
TEST_F(MacroCommandsTest, ProgramSmoke) {
    const std::string cli = KELVADECK_CLI_PATH;
    auto run = [&](const std::string& args, const std::string& out) {
        const std::string command = cli + " " + args + " >" + Path(out) + " 2>" + Path(out + ".err");
        return std::system(command.c_str());
    };
    auto text = [&](const std::string& name) {
        std::ifstream in(Path(name));
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    std::ofstream(Path("steps.txt")) << "mode fire\nkey-press A\ninterval 300\nkey-release A\n";
    EXPECT_EQ(run("macro encode " + Path("steps.txt") + " -o " + Path("s.mcdf"), "enc"), 0) << text("enc.err");
    EXPECT_EQ(Read("s.mcdf").size(), 20u);
    EXPECT_EQ(run("macro decode " + Path("s.mcdf") + " --json", "dec"), 0) << text("dec.err");
    EXPECT_EQ(nlohmann::json::parse(text("dec"))["mode"], 2);
    EXPECT_NE(run("macro decode 41 04 99", "bad"), 0);
    EXPECT_EQ(Lines(text("bad.err")), 1u);
    EXPECT_NE(run("macro encode " + Path("none.txt"), "none"), 0);
}
#endif

}  // namespace
}  // namespace kelvadeck
