#include "core/FileUserDefaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "core/MemoryUserDefaults.h"
#include "keys/KeyCode.h"

namespace kelvadeck {
namespace {

using namespace std::string_literals;

constexpr const char* kKey = "KEYBOARD_TYPE_USER_SETTING";

class FileUserDefaultsTest : public testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        m_dir = std::filesystem::temp_directory_path() / ("kelvadeck-defaults-" + std::to_string(rd()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    void Write(const std::filesystem::path& path, const std::string& bytes) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::filesystem::path m_dir;
};

TEST_F(FileUserDefaultsTest, RoundTripCreatesTheFolder) {
    const auto file = m_dir / "deep" / "er" / "settings.conf";
    FileUserDefaults defaults(file);
    EXPECT_EQ(defaults.GetInteger(kKey), std::nullopt);
    ASSERT_TRUE(defaults.SetInteger(kKey, 2));
    EXPECT_EQ(defaults.GetInteger(kKey), 2);
    EXPECT_TRUE(std::filesystem::is_regular_file(file));

    // A second object on the same file sees the value; overwriting keeps one line.
    FileUserDefaults again(file);
    EXPECT_EQ(again.GetInteger(kKey), 2);
    ASSERT_TRUE(again.SetInteger(kKey, 1));
    EXPECT_EQ(defaults.GetInteger(kKey), 1);
    EXPECT_EQ(Read(file), "# Kelvadeck user settings\nKEYBOARD_TYPE_USER_SETTING=1\n");

    // No temporary file is left behind.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST_F(FileUserDefaultsTest, KeepsOtherKeysAndExtremeValues) {
    const auto file = m_dir / "settings.conf";
    FileUserDefaults defaults(file);
    ASSERT_TRUE(defaults.SetInteger("OTHER", -7));
    ASSERT_TRUE(defaults.SetInteger(kKey, 2));
    ASSERT_TRUE(defaults.SetInteger("BIG", std::numeric_limits<long>::max()));
    ASSERT_TRUE(defaults.SetInteger("SMALL", std::numeric_limits<long>::min()));
    EXPECT_EQ(defaults.GetInteger("OTHER"), -7);
    EXPECT_EQ(defaults.GetInteger(kKey), 2);
    EXPECT_EQ(defaults.GetInteger("BIG"), std::numeric_limits<long>::max());
    EXPECT_EQ(defaults.GetInteger("SMALL"), std::numeric_limits<long>::min());
    EXPECT_EQ(defaults.GetInteger("NONE"), std::nullopt);
}

TEST_F(FileUserDefaultsTest, MissingFileReadsAbsent) {
    FileUserDefaults defaults(m_dir / "nothing" / "settings.conf");
    EXPECT_EQ(defaults.GetInteger(kKey), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "nothing"));  // reading creates nothing
}

TEST_F(FileUserDefaultsTest, HandWrittenFileIsRead) {
    const auto file = m_dir / "settings.conf";
    Write(file, "# comment\r\n\r\n  KEYBOARD_TYPE_USER_SETTING = 2 \r\nOTHER=5");
    FileUserDefaults defaults(file);
    EXPECT_EQ(defaults.GetInteger(kKey), 2);
    EXPECT_EQ(defaults.GetInteger("OTHER"), 5);
}

TEST_F(FileUserDefaultsTest, GarbledFileReadsAbsentAndNeverCrashes) {
    const auto file = m_dir / "settings.conf";
    const std::string garbage[] = {
        "\x00\xFF\xFE\x01=\x02\n\x80\x81"s,
        "KEYBOARD_TYPE_USER_SETTING",
        "KEYBOARD_TYPE_USER_SETTING=",
        "KEYBOARD_TYPE_USER_SETTING=abc",
        "KEYBOARD_TYPE_USER_SETTING=2x",
        "KEYBOARD_TYPE_USER_SETTING=0x2",
        "KEYBOARD_TYPE_USER_SETTING=99999999999999999999999999",
        "KEYBOARD_TYPE_USER_SETTING 2",
        "=2",
        "#KEYBOARD_TYPE_USER_SETTING=2",
        std::string(100000, '='),
        "KEYBOARD_TYPE_USER_SETTING\0=2"s,
    };
    for (const auto& bytes : garbage) {
        Write(file, bytes);
        FileUserDefaults defaults(file);
        EXPECT_EQ(defaults.GetInteger(kKey), std::nullopt) << testing::PrintToString(bytes.substr(0, 40));
    }

    // A good line among garbage still counts, and writing over garbage works.
    Write(file, "\xFF\xFE junk\nKEYBOARD_TYPE_USER_SETTING=2\n\x01\x02"s);
    FileUserDefaults defaults(file);
    EXPECT_EQ(defaults.GetInteger(kKey), 2);
    Write(file, "\x00\x01\x02"s);
    ASSERT_TRUE(defaults.SetInteger(kKey, 1));
    EXPECT_EQ(defaults.GetInteger(kKey), 1);
}

TEST_F(FileUserDefaultsTest, OversizedFileReadsAbsent) {
    const auto file = m_dir / "settings.conf";
    Write(file, "KEYBOARD_TYPE_USER_SETTING=2\n" + std::string(2 * 1024 * 1024, '#'));
    EXPECT_EQ(FileUserDefaults(file).GetInteger(kKey), std::nullopt);
}

TEST_F(FileUserDefaultsTest, UnreadablePathReadsAbsent) {
    // A folder where the file should be: neither read nor replaced.
    const auto file = m_dir / "settings.conf";
    std::filesystem::create_directories(file);
    FileUserDefaults defaults(file);
    EXPECT_EQ(defaults.GetInteger(kKey), std::nullopt);
    EXPECT_FALSE(defaults.SetInteger(kKey, 2));
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(FileUserDefaultsTest, UnwritableLocationReturnsFalse) {
    // The parent "folder" is a regular file, so nothing can be created below it
    // (this holds even for root, unlike permission bits).
    const auto blocker = m_dir / "blocker";
    Write(blocker, "not a folder");
    FileUserDefaults defaults(blocker / "kelvadeck" / "settings.conf");
    EXPECT_FALSE(defaults.SetInteger(kKey, 2));
    EXPECT_EQ(defaults.GetInteger(kKey), std::nullopt);
    EXPECT_EQ(Read(blocker), "not a folder");
}

TEST_F(FileUserDefaultsTest, KeysThatCannotBeALineAreRefused) {
    FileUserDefaults defaults(m_dir / "settings.conf");
    for (const std::string& key : {""s, "A=B"s, "A\nB"s, "A\rB"s, " A"s, "A "s, "#A"s, "A\0B"s}) {
        EXPECT_FALSE(defaults.SetInteger(key, 1)) << testing::PrintToString(key);
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "settings.conf"));
}

TEST_F(FileUserDefaultsTest, EmptyPathReadsAbsentAndRefusesToStore) {
    FileUserDefaults defaults{std::filesystem::path()};
    EXPECT_EQ(defaults.GetInteger(kKey), std::nullopt);
    EXPECT_FALSE(defaults.SetInteger(kKey, 2));
}

#if !defined(_WIN32) && !defined(__APPLE__)
// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) ::setenv(name, value, 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old) ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else ::unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

TEST_F(FileUserDefaultsTest, DefaultPathFollowsXdg) {
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg/config");
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(FileUserDefaults::DefaultPath(), std::filesystem::path("/xdg/config/kelvadeck/settings.conf"));
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "");
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(FileUserDefaults::DefaultPath(), std::filesystem::path("/home/someone/.config/kelvadeck/settings.conf"));
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/not/allowed");
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(FileUserDefaults::DefaultPath(), std::filesystem::path("/home/someone/.config/kelvadeck/settings.conf"));
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        ScopedEnv home("HOME", nullptr);
        EXPECT_TRUE(FileUserDefaults::DefaultPath().empty());
        EXPECT_EQ(FileUserDefaults().GetInteger(kKey), std::nullopt);
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", m_dir.c_str());
        FileUserDefaults defaults;
        EXPECT_EQ(defaults.Path(), m_dir / "kelvadeck" / "settings.conf");
        ASSERT_TRUE(defaults.SetInteger(kKey, 2));
        EXPECT_EQ(KeyCode(&defaults).KeyboardType(), KeyCode::KEYBOARD_TYPE_JIS);
    }
}
#endif

TEST(MemoryUserDefaultsTest, StoresAndFails) {
    MemoryUserDefaults defaults;
    EXPECT_EQ(defaults.GetInteger(kKey), std::nullopt);
    EXPECT_TRUE(defaults.SetInteger(kKey, 2));
    EXPECT_EQ(defaults.GetInteger(kKey), 2);
    defaults.SetFailWrites(true);
    EXPECT_FALSE(defaults.SetInteger(kKey, 1));
    EXPECT_EQ(defaults.GetInteger(kKey), 2);
    defaults.Remove(kKey);
    EXPECT_EQ(defaults.GetInteger(kKey), std::nullopt);
}

}  // namespace
}  // namespace kelvadeck
