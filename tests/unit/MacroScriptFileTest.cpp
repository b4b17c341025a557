// Macro script files (.mcdf): building, every import check, file helpers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "keys/KeyCode.h"
#include "macro/MacroCreator.h"
#include "macro/MacroScriptFile.h"
#include "model/Constants.h"

namespace kelvadeck {
namespace {

using C = Constants;
using F = MacroScriptFile;
using E = MacroScriptFile::ImportError;
using Bytes = std::vector<uint8_t>;

MacroDataScript Step(uint8_t command, uint8_t option1 = 0, uint8_t option2 = 0) {
    MacroDataScript step = MacroCreator::CreateMacroForScript(command);
    step.cOption1 = static_cast<int8_t>(option1);
    step.cOption2 = static_cast<int8_t>(option2);
    return step;
}

// A file as the writer lays it out, with each header field open to damage.
Bytes File(uint8_t mode, const Bytes& script) {
    auto file = F::BuildBytes(mode, script);
    EXPECT_TRUE(file.has_value());
    return file.value_or(Bytes{});
}

void PutLE32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

class MacroScriptFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        m_dir = std::filesystem::temp_directory_path() / ("kelvadeck-mcdf-" + std::to_string(rd()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(m_dir / "locked.mcdf", std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    void Write(const std::string& name, const Bytes& bytes) const {
        std::string error;
        ASSERT_TRUE(F::WriteFile(Path(name), bytes, error)) << error;
    }

    std::filesystem::path m_dir;
    KeyCode m_keys;
};

// ---------------------------------------------------------------- building

TEST_F(MacroScriptFileTest, KnownFiles) {
    struct Case {
        const char* name;
        uint8_t mode;
        std::vector<MacroDataScript> steps;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"empty script, play once", 0, {}, {0x03, 0x5A, 0x4B, 0x57, 0x0D, 0, 0, 0, 0x00, 0, 0, 0, 0}},
        {"empty script, hold", 3, {}, {0x03, 0x5A, 0x4B, 0x57, 0x0D, 0, 0, 0, 0x03, 0, 0, 0, 0}},
        {"A, 300 ms, release A in loop mode",
         1,
         {Step(0x41, 0x04), MacroCreator::CreateMacroForScriptInterval(300), Step(0x40, 0x04)},
         {0x03, 0x5A, 0x4B, 0x57, 0x14, 0, 0, 0, 0x01, 0x07, 0, 0, 0, 0x41, 0x04, 0x70, 0x01, 0x2C, 0x40, 0x04}},
        {"blank steps leave no trace",
         2,
         {MacroDataScript{}, Step(0x62), MacroDataScript{}},
         {0x03, 0x5A, 0x4B, 0x57, 0x0E, 0, 0, 0, 0x02, 0x01, 0, 0, 0, 0x62}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MacroCreator macro;
        macro.bScriptMode = c.mode;
        macro.arCurrentMacroScript = c.steps;
        const F::Exported exported = F::Build(macro);
        ASSERT_TRUE(exported.ok()) << F::ErrorText(exported);
        EXPECT_EQ(exported.bytes, c.expected);

        const F::Imported imported = F::Import(exported.bytes.data(), exported.bytes.size(), m_keys);
        ASSERT_TRUE(imported.ok()) << F::ErrorText(imported);
        EXPECT_EQ(imported.mode, c.mode);
        EXPECT_EQ(imported.script, Bytes(c.expected.begin() + 13, c.expected.end()));
    }
}

TEST_F(MacroScriptFileTest, BuildBytesRefusesWhatCouldNotBeImported) {
    EXPECT_FALSE(F::BuildBytes(4, {}).has_value());
    EXPECT_FALSE(F::BuildBytes(0, Bytes(9363, 0x62)).has_value());
    const auto full = F::BuildBytes(0, Bytes(9362, 0x62));
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->size(), 9375u);
}

// A script too long for the device is refused whole, with counts the editor
// can show, instead of being cut after the last step that fits.
TEST_F(MacroScriptFileTest, TooLongIsNeverCutSilently) {
    MacroCreator macro;
    // 3120 three-byte steps + one two-byte step = 9362 bytes exactly.
    for (int i = 0; i < 3120; ++i) macro.arCurrentMacroScript.push_back(Step(0x33, 1, 2));
    macro.arCurrentMacroScript.push_back(Step(0x41, 4));
    const F::Exported full = F::Build(macro);
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(full.bytes.size(), 13u + 9362u);
    EXPECT_EQ(full.StepsLeftOut(), 0u);
    EXPECT_TRUE(F::Import(full.bytes.data(), full.bytes.size(), m_keys).ok());

    macro.arCurrentMacroScript.push_back(Step(0x40, 4));
    macro.arCurrentMacroScript.push_back(MacroDataScript{});
    macro.arCurrentMacroScript.push_back(Step(0x62));
    const F::Exported over = F::Build(macro);
    EXPECT_EQ(over.error, F::ExportError::TooLong);
    EXPECT_TRUE(over.bytes.empty());
    EXPECT_EQ(over.steps, 3124u);
    EXPECT_EQ(over.stepsThatFit, 3121u);
    EXPECT_EQ(over.StepsLeftOut(), 3u);
    EXPECT_EQ(over.scriptBytes, 9365u);
    EXPECT_EQ(over.BytesOver(), 3u);
    EXPECT_NE(F::ErrorText(over).find("the last 3 of 3124 steps do not fit"), std::string::npos) << F::ErrorText(over);

    const std::string path = Path("long.mcdf");
    EXPECT_EQ(F::Export(macro, path).error, F::ExportError::TooLong);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(MacroScriptFileTest, ExportFailuresAreReported) {
    MacroCreator macro;
    macro.arCurrentMacroScript.push_back(Step(0x29));
    EXPECT_EQ(F::Export(macro, Path("no/such/folder/x.mcdf")).error, F::ExportError::WriteFailed);
    EXPECT_EQ(F::Export(macro, m_dir.string()).error, F::ExportError::WriteFailed);  // a folder
    macro.bScriptMode = 4;
    EXPECT_EQ(F::Export(macro, Path("mode.mcdf")).error, F::ExportError::BadMode);
    EXPECT_FALSE(std::filesystem::exists(Path("mode.mcdf")));

    macro.bScriptMode = 2;
    const F::Exported done = F::Export(macro, Path("ok.mcdf"));
    ASSERT_TRUE(done.ok());
    EXPECT_EQ(F::ReadFile(Path("ok.mcdf"), 100), std::optional<Bytes>(done.bytes));
}

// ---------------------------------------------------------------- import checks

TEST_F(MacroScriptFileTest, EveryRejection) {
    const Bytes good = File(1, {0x41, 0x04, 0x40, 0x04});
    struct Case {
        const char* name;
        Bytes file;
        E error;
    };
    std::vector<Case> cases;
    auto damaged = [&](const char* name, E error, auto change) {
        Bytes b = good;
        change(b);
        cases.push_back({name, std::move(b), error});
    };
    cases.push_back({"9627 bytes", Bytes(F::FILE_SIZE_LIMIT, 0), E::TooLarge});
    cases.push_back({"empty", {}, E::TooShort});
    cases.push_back({"12 bytes", Bytes(good.begin(), good.begin() + 12), E::TooShort});
    damaged("signature length 4", E::BadSignature, [](Bytes& b) { b[0] = 4; });
    damaged("signature ZKX", E::BadSignature, [](Bytes& b) { b[3] = 'X'; });
    damaged("lower-case signature", E::BadSignature, [](Bytes& b) { b[1] = 'z'; });
    damaged("size field one less", E::FileSizeMismatch, [](Bytes& b) { PutLE32(b, 4, static_cast<uint32_t>(b.size() - 1)); });
    damaged("size field one more", E::FileSizeMismatch, [](Bytes& b) { PutLE32(b, 4, static_cast<uint32_t>(b.size() + 1)); });
    damaged("trailing byte", E::FileSizeMismatch, [](Bytes& b) { b.push_back(0); });
    damaged("mode 4", E::BadMode, [](Bytes& b) { b[8] = 4; });
    damaged("mode 0xFF", E::BadMode, [](Bytes& b) { b[8] = 0xFF; });
    damaged("script length 9363", E::ScriptTooLong, [](Bytes& b) { PutLE32(b, 9, 9363); });
    damaged("script length 0xFFFFFFFF", E::ScriptTooLong, [](Bytes& b) { PutLE32(b, 9, 0xFFFFFFFF); });
    damaged("script length one past the end", E::ScriptBeyondFile, [](Bytes& b) { PutLE32(b, 9, 5); });
    damaged("a lone key press", E::BadScript, [](Bytes& b) {
        b = File(0, {0x41});
    });
    damaged("an unknown command", E::BadScript, [](Bytes& b) { b = File(0, {0x41, 0x04, 0x99}); });
    // Checks are made in order: the first fault found is the one reported.
    damaged("bad signature and mode", E::BadSignature, [](Bytes& b) {
        b[1] = 0;
        b[8] = 9;
    });
    damaged("bad size field and script", E::FileSizeMismatch, [](Bytes& b) {
        b[13] = 0x99;
        PutLE32(b, 4, 3);
    });

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const F::Imported imported = F::Import(c.file.data(), c.file.size(), m_keys);
        EXPECT_EQ(imported.error, c.error);
        EXPECT_FALSE(F::ErrorText(imported).empty());
        EXPECT_TRUE(imported.steps.empty());
    }
}

TEST_F(MacroScriptFileTest, ScriptShorterThanTheFileIsAccepted) {
    // Bytes after the script are not looked at once the header says where it ends.
    Bytes b = File(0, {0x41, 0x04, 0x99, 0x99});
    PutLE32(b, 9, 2);
    const F::Imported imported = F::Import(b.data(), b.size(), m_keys);
    ASSERT_TRUE(imported.ok());
    EXPECT_EQ(imported.script, (Bytes{0x41, 0x04}));
    EXPECT_EQ(imported.steps.size(), 1u);
}

TEST_F(MacroScriptFileTest, BadScriptSaysWhere) {
    const Bytes b = File(0, {0x41, 0x04, 0x70, 0x00, 0x01, 0x99});
    const F::Imported imported = F::Import(b.data(), b.size(), m_keys);
    EXPECT_EQ(imported.error, E::BadScript);
    EXPECT_EQ(imported.stoppedAt, 5u);
}

TEST_F(MacroScriptFileTest, ImportFromFiles) {
    Write("good.mcdf", File(3, {0x29, 0x21}));
    Write("limit.mcdf", Bytes(F::FILE_SIZE_LIMIT, 0x03));
    Write("below.mcdf", Bytes(F::FILE_SIZE_LIMIT - 1, 0x03));

    const F::Imported good = F::ImportFile(Path("good.mcdf"), m_keys);
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(good.mode, 3);
    ASSERT_EQ(good.steps.size(), 2u);
    EXPECT_EQ(good.steps[0].bScriptID, 0x29);

    EXPECT_EQ(F::ImportFile(Path("missing.mcdf"), m_keys).error, E::SizeUnreadable);
    EXPECT_EQ(F::ImportFile(m_dir.string(), m_keys).error, E::SizeUnreadable);
    EXPECT_EQ(F::ImportFile(Path("limit.mcdf"), m_keys).error, E::TooLarge);
    EXPECT_EQ(F::ImportFile(Path("below.mcdf"), m_keys).error, E::BadSignature);
}

TEST_F(MacroScriptFileTest, UnreadableFile) {
    Write("locked.mcdf", File(0, {}));
    std::filesystem::permissions(Path("locked.mcdf"), std::filesystem::perms::none);
    if (std::ifstream(Path("locked.mcdf"))) GTEST_SKIP() << "running with rights that read any file";
    EXPECT_EQ(F::ImportFile(Path("locked.mcdf"), m_keys).error, E::ReadFailed);
}

// ---------------------------------------------------------------- appending

TEST_F(MacroScriptFileTest, AppendTo) {
    const Bytes file = File(2, {0x41, 0x04, 0x40, 0x04});
    const F::Imported imported = F::Import(file.data(), file.size(), m_keys);
    ASSERT_TRUE(imported.ok());

    MacroCreator empty;
    EXPECT_TRUE(F::AppendTo(empty, imported));
    EXPECT_EQ(empty.bScriptMode, 2);  // an empty script takes the file's mode
    EXPECT_EQ(empty.arCurrentMacroScript.size(), 2u);

    MacroCreator busy;
    busy.bScriptMode = 1;
    busy.arCurrentMacroScript.push_back(Step(0x62));
    EXPECT_TRUE(F::AppendTo(busy, imported));
    EXPECT_EQ(busy.bScriptMode, 1);  // a script with steps keeps its own
    ASSERT_EQ(busy.arCurrentMacroScript.size(), 3u);
    EXPECT_EQ(busy.arCurrentMacroScript[0].bScriptID, 0x62);
    EXPECT_EQ(busy.arCurrentMacroScript[1].bScriptID, 0x41);
    EXPECT_EQ(busy.arCurrentMacroScript[1].strAnalyzeRet1, std::optional<std::string>("A"));

    // A refused file changes nothing.
    const Bytes bad = File(0, {0x41});
    const MacroCreator before = busy;
    EXPECT_FALSE(F::AppendTo(busy, F::Import(bad.data(), bad.size(), m_keys)));
    EXPECT_EQ(busy.bScriptMode, before.bScriptMode);
    EXPECT_EQ(busy.arCurrentMacroScript, before.arCurrentMacroScript);
}

TEST_F(MacroScriptFileTest, EmptyFileAddsNoSteps) {
    const Bytes file = File(1, {});
    MacroCreator busy;
    busy.arCurrentMacroScript.push_back(Step(0x62));
    EXPECT_TRUE(F::AppendTo(busy, F::Import(file.data(), file.size(), m_keys)));
    EXPECT_EQ(busy.arCurrentMacroScript.size(), 1u);
    EXPECT_EQ(busy.bScriptMode, 0);
}

// Random scripts survive a file and back, in every mode.
TEST_F(MacroScriptFileTest, RoundTrip) {
    std::mt19937 rng(20240611);
    const uint8_t commands[] = {0x70, 0x33, 0x6B, 0x6C, 0x41, 0x40, 0x43, 0x42, 0x31, 0x32, 0x69, 0x61, 0x6A,
                                0x29, 0x21, 0x2A, 0x22, 0x2C, 0x24, 0x2D, 0x25, 0x2E, 0x26, 0x62, 0x63, 0x64};
    for (int round = 0; round < 50; ++round) {
        Bytes script;
        const int steps = static_cast<int>(rng() % 200);
        for (int i = 0; i < steps; ++i) {
            const uint8_t cmd = commands[rng() % std::size(commands)];
            script.push_back(cmd);
            for (int k = 1; k < MacroCreator::GetMacroSize(cmd); ++k) script.push_back(static_cast<uint8_t>(rng()));
        }
        const auto mode = static_cast<uint8_t>(rng() % 4);
        const Bytes file = File(mode, script);
        const F::Imported imported = F::Import(file.data(), file.size(), m_keys);
        ASSERT_TRUE(imported.ok());
        MacroCreator again;
        again.bScriptMode = imported.mode;
        again.arCurrentMacroScript = imported.steps;
        const F::Exported exported = F::Build(again);
        ASSERT_TRUE(exported.ok());
        EXPECT_EQ(exported.bytes, file);
    }
}

TEST_F(MacroScriptFileTest, ReadFileLimits) {
    Write("ten.bin", Bytes(10, 7));
    EXPECT_EQ(F::ReadFile(Path("ten.bin"), 10), std::optional<Bytes>(Bytes(10, 7)));
    EXPECT_FALSE(F::ReadFile(Path("ten.bin"), 9).has_value());
    EXPECT_FALSE(F::ReadFile(Path("none.bin"), 9).has_value());
}

}  // namespace
}  // namespace kelvadeck

namespace kelvadeck {
namespace {

// The fuzz seeds double as golden files: each one imports as its name says.
TEST(MacroScriptFileGolden, SeedFiles) {
    const std::string dir = std::string(KELVADECK_SOURCE_DIR) + "/tests/fuzz/corpus/script_file/";
    struct Case {
        const char* file;
        E error;
        size_t steps;
    };
    const Case cases[] = {
        {"empty_once.mcdf", E::None, 0},          {"key_a_loop.mcdf", E::None, 3},
        {"mixed_hold.mcdf", E::None, 7},          {"full_9362.mcdf", E::None, 3121},
        {"truncated_step.mcdf", E::BadScript, 0}, {"bad_mode.mcdf", E::BadMode, 0},
        {"short_header.mcdf", E::TooShort, 0},    {"bad_signature.mcdf", E::BadSignature, 0},
        {"script_beyond_file.mcdf", E::ScriptBeyondFile, 0},
    };
    KeyCode keys;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const F::Imported imported = F::ImportFile(dir + c.file, keys);
        EXPECT_EQ(imported.error, c.error);
        EXPECT_EQ(imported.steps.size(), c.steps);
    }
}

}  // namespace
}  // namespace kelvadeck
