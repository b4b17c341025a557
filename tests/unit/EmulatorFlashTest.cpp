#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "emulator/EmulatedFlash.h"

namespace kelvadeck {
namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = fs::temp_directory_path() / (std::string("kelvadeck-emu-") + info->test_suite_name() + "-" + info->name());
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
};

void WriteFileOfSize(const std::string& path, size_t size, uint8_t value) {
    std::ofstream out(path, std::ios::binary);
    const std::vector<char> bytes(size, static_cast<char>(value));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

uint8_t At(const EmulatedFlash& flash, uint32_t address) { return flash.Bytes()[address]; }

TEST(EmulatorFlash, StartsErased) {
    EmulatedFlash flash;
    ASSERT_EQ(flash.Bytes().size(), 2097152u);
    EXPECT_TRUE(std::all_of(flash.Bytes().begin(), flash.Bytes().end(), [](uint8_t b) { return b == 0xFF; }));
}

TEST(EmulatorFlash, ProgramCanOnlyClearBits) {
    EmulatedFlash flash;
    const std::vector<uint8_t> first = {0xF0, 0x3C};
    const std::vector<uint8_t> second = {0x0F, 0xFF};
    ASSERT_TRUE(flash.Program(0x1234, first));
    EXPECT_EQ(At(flash, 0x1234), 0xF0);
    ASSERT_TRUE(flash.Program(0x1234, second));
    EXPECT_EQ(At(flash, 0x1234), 0x00);  // 0xF0 AND 0x0F
    EXPECT_EQ(At(flash, 0x1235), 0x3C);  // 0xFF sets nothing back
    EXPECT_EQ(At(flash, 0x1233), 0xFF);
    EXPECT_EQ(At(flash, 0x1236), 0xFF);
}

TEST(EmulatorFlash, ProgramWrapsInsideItsPage) {
    EmulatedFlash flash;
    const std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(flash.Program(0x01FD, data));
    EXPECT_EQ(At(flash, 0x01FD), 1);
    EXPECT_EQ(At(flash, 0x01FF), 3);
    EXPECT_EQ(At(flash, 0x0100), 4);  // back to the start of the same page
    EXPECT_EQ(At(flash, 0x0102), 6);
    EXPECT_EQ(At(flash, 0x0200), 0xFF);  // the next page is untouched
}

TEST(EmulatorFlash, ProgramRefusesWhatTheChipCannotTake) {
    EmulatedFlash flash;
    const std::vector<uint8_t> tooLong(257, 0x00);
    EXPECT_FALSE(flash.Program(0, tooLong));
    const std::vector<uint8_t> one = {0x00};
    EXPECT_FALSE(flash.Program(0x200000, one));
    EXPECT_TRUE(flash.Program(0x1FFFFF, one));
    EXPECT_EQ(std::count(flash.Bytes().begin(), flash.Bytes().end(), 0x00), 1);
}

TEST(EmulatorFlash, EraseSetsExactlyOneSector) {
    EmulatedFlash flash;
    const std::vector<uint8_t> zero = {0x00};
    for (uint32_t address : {0x1FFFFu, 0x20000u, 0x2FFFFu, 0x30000u}) ASSERT_TRUE(flash.Program(address, zero));
    ASSERT_TRUE(flash.EraseSector(2));
    EXPECT_EQ(At(flash, 0x1FFFF), 0x00);
    EXPECT_EQ(At(flash, 0x20000), 0xFF);
    EXPECT_EQ(At(flash, 0x2FFFF), 0xFF);
    EXPECT_EQ(At(flash, 0x30000), 0x00);
    EXPECT_FALSE(flash.EraseSector(32));
}

TEST(EmulatorFlash, ReadStopsAtTheEndOfTheFlash) {
    EmulatedFlash flash;
    std::vector<uint8_t> out(10, 0x55);
    EXPECT_EQ(flash.Read(0x1FFFFD, out), 3u);
    EXPECT_EQ(out[2], 0xFF);
    EXPECT_EQ(out[3], 0x55);
    EXPECT_EQ(flash.Read(0x200000, out), 0u);
    EXPECT_EQ(flash.Read(0xFFFFFFFF, out), 0u);
}

TEST(EmulatorFlash, OverwriteStaysInsideTheFlash) {
    EmulatedFlash flash;
    const std::vector<uint8_t> two = {0x12, 0x34};
    EXPECT_FALSE(flash.Overwrite(0x1FFFFF, two));
    EXPECT_FALSE(flash.Overwrite(0xFFFFFFFF, two));
    EXPECT_TRUE(flash.Overwrite(0x1FFFFE, two));
    EXPECT_EQ(At(flash, 0x1FFFFF), 0x34);
}

TEST(EmulatorFlash, ImageRoundTrip) {
    TempDir dir;
    EmulatedFlash flash;
    std::vector<uint8_t> pattern(EmulatedFlash::SIZE);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>((i * 7) ^ (i >> 16));
    ASSERT_TRUE(flash.Overwrite(0, pattern));
    std::string error;
    const std::string path = dir.File("device.mbf");
    ASSERT_TRUE(flash.SaveImage(path, error)) << error;
    EXPECT_EQ(fs::file_size(path), 2097152u);
    EXPECT_FALSE(fs::exists(path + ".part"));

    EmulatedFlash loaded;
    ASSERT_TRUE(loaded.LoadImage(path, error)) << error;
    EXPECT_TRUE(std::equal(loaded.Bytes().begin(), loaded.Bytes().end(), pattern.begin()));
}

TEST(EmulatorFlash, MissingImageIsAnErasedDevice) {
    TempDir dir;
    EmulatedFlash flash;
    const std::vector<uint8_t> zero = {0x00};
    ASSERT_TRUE(flash.Program(0x40, zero));
    std::string error;
    EXPECT_TRUE(flash.LoadImage(dir.File("new.mbf"), error));
    EXPECT_EQ(At(flash, 0x40), 0xFF);
}

TEST(EmulatorFlash, ImageOfWrongSizeIsRefusedAndChangesNothing) {
    TempDir dir;
    for (size_t size : {size_t{0}, size_t{2097151}, size_t{2097153}}) {
        SCOPED_TRACE(size);
        const std::string path = dir.File("bad.mbf");
        WriteFileOfSize(path, size, 0x00);
        EmulatedFlash flash;
        const std::vector<uint8_t> mark = {0x5A};
        ASSERT_TRUE(flash.Program(0x10, mark));
        std::string error;
        EXPECT_FALSE(flash.LoadImage(path, error));
        EXPECT_NE(error.find(std::to_string(size)), std::string::npos) << error;
        EXPECT_NE(error.find("2097152"), std::string::npos) << error;
        EXPECT_EQ(At(flash, 0x10), 0x5A);
        EXPECT_EQ(At(flash, 0x11), 0xFF);
    }
}

TEST(EmulatorFlash, DirectoryIsNotAnImage) {
    TempDir dir;
    EmulatedFlash flash;
    std::string error;
    EXPECT_FALSE(flash.LoadImage(dir.File(""), error));
    EXPECT_FALSE(error.empty());
}

TEST(EmulatorFlash, SaveIntoMissingFolderFailsWithReason) {
    TempDir dir;
    EmulatedFlash flash;
    std::string error;
    EXPECT_FALSE(flash.SaveImage(dir.File("no/such/folder/x.mbf"), error));
    EXPECT_FALSE(error.empty());
}

TEST(EmulatorFlash, SaveLeavesAPlantedTemporaryNameAlone) {
    TempDir dir;
    const std::string path = dir.File("keep.mbf");
    WriteFileOfSize(path, EmulatedFlash::SIZE, 0x11);
    // A link where an earlier version wrote its temporary file: following it
    // would overwrite whatever it points to.
    const std::string victim = dir.File("victim.txt");
    WriteFileOfSize(victim, 6, 'v');
    fs::create_symlink(victim, path + ".part");
    EmulatedFlash flash;
    std::string error;
    ASSERT_TRUE(flash.SaveImage(path, error)) << error;
    EXPECT_EQ(fs::file_size(victim), 6u);
    EXPECT_TRUE(fs::is_symlink(path + ".part"));
    EmulatedFlash loaded;
    ASSERT_TRUE(loaded.LoadImage(path, error)) << error;
    EXPECT_EQ(At(loaded, 0), 0xFF);
}

// An image is written back only when Changes() moved: an operation that
// leaves every byte as it was must not count, one that changes a byte must.
TEST(EmulatorFlash, ChangesCountOnlyOperationsThatChangeAByte) {
    const std::vector<uint8_t> ones = {0xFF, 0xFF};
    const std::vector<uint8_t> zeros = {0x00, 0x00};
    struct Case {
        const char* what;
        std::function<bool(EmulatedFlash&)> op;
        bool changes;
    };
    const std::vector<Case> cases = {
        {"erase an erased sector", [](EmulatedFlash& f) { return f.EraseSector(3); }, false},
        {"erase a programmed sector", [](EmulatedFlash& f) { return f.EraseSector(0); }, true},
        {"erase all", [](EmulatedFlash& f) { f.EraseAll(); return true; }, true},
        {"program 0xFF", [&](EmulatedFlash& f) { return f.Program(0x200, ones); }, false},
        {"program bits already clear", [&](EmulatedFlash& f) { return f.Program(0x100, zeros); }, false},
        {"program 0x00 over 0xFF", [&](EmulatedFlash& f) { return f.Program(0x200, zeros); }, true},
        {"overwrite with the same bytes", [&](EmulatedFlash& f) { return f.Overwrite(0x100, zeros); }, false},
        {"overwrite with other bytes", [&](EmulatedFlash& f) { return f.Overwrite(0x100, ones); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EmulatedFlash flash;
        ASSERT_TRUE(flash.Program(0x100, zeros));  // sector 0 holds two programmed bytes
        const uint64_t before = flash.Changes();
        ASSERT_TRUE(c.op(flash));
        EXPECT_EQ(flash.Changes() != before, c.changes);
    }
}

}  // namespace
}  // namespace kelvadeck
