#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "hid/HidapiOpenError.h"

namespace kelvadeck {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(HidapiOpenError, PermissionProblemNamesTheUdevRuleAndHowToInstallIt) {
    const std::string text =
        HidapiOpenError::Describe("/dev/hidraw3", HidapiOpenError::Node::NotAccessible, "Permission denied");
    EXPECT_TRUE(Contains(text, "/dev/hidraw3")) << text;
    EXPECT_TRUE(Contains(text, "60-kelvadeck.rules")) << text;
    EXPECT_TRUE(Contains(text, "/etc/udev/rules.d/")) << text;
    EXPECT_TRUE(Contains(text, "udevadm control --reload-rules")) << text;
    EXPECT_TRUE(Contains(text, "plug it in again")) << text;
}

// With the rule in place, what is left is the seat: a remote session does not get the device.
TEST(HidapiOpenError, APermissionProblemWithTheRuleInPlaceIsTheSeat) {
    const std::string text = HidapiOpenError::Describe("/dev/hidraw3", HidapiOpenError::Node::NotAccessible, "",
                                                       std::string("/usr/lib/udev/rules.d/60-kelvadeck.rules"));
    EXPECT_TRUE(Contains(text, "is installed (/usr/lib/udev/rules.d/60-kelvadeck.rules)")) << text;
    EXPECT_TRUE(Contains(text, "not to remote sessions such as SSH")) << text;
    EXPECT_FALSE(Contains(text, "not installed")) << text;
    EXPECT_FALSE(Contains(text, "packaging/")) << text;
}

TEST(HidapiOpenError, TheInstalledRuleIsLookedForInUdevsFolders) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("kelvadeck-udev-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "etc");
    fs::create_directories(dir / "lib");
    const std::vector<std::string> folders = {(dir / "etc").string(), (dir / "lib").string()};
    EXPECT_EQ(HidapiOpenError::FindInstalledRule(folders), std::nullopt);
    std::ofstream((dir / "lib" / "60-kelvadeck.rules").string()) << "# rule\n";
    EXPECT_EQ(HidapiOpenError::FindInstalledRule(folders), (dir / "lib" / "60-kelvadeck.rules").string());
    std::ofstream((dir / "etc" / "60-kelvadeck.rules").string()) << "# the administrator's own\n";
    EXPECT_EQ(HidapiOpenError::FindInstalledRule(folders), (dir / "etc" / "60-kelvadeck.rules").string());
    fs::remove_all(dir);
    const std::vector<std::string> real = HidapiOpenError::UdevRuleFolders();
    for (const char* f : {"/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/usr/local/lib/udev/rules.d"}) {
        EXPECT_NE(std::find(real.begin(), real.end(), f), real.end()) << f;
    }
}

TEST(HidapiOpenError, MissingNodeMeansTheDeviceWentAway) {
    const std::string text = HidapiOpenError::Describe("/dev/hidraw3", HidapiOpenError::Node::Missing, "");
    EXPECT_TRUE(Contains(text, "no longer connected")) << text;
    EXPECT_FALSE(Contains(text, "udev")) << text;
}

TEST(HidapiOpenError, OtherFailuresPassOnHidapisReason) {
    const std::string text =
        HidapiOpenError::Describe("/dev/hidraw3", HidapiOpenError::Node::Accessible, "Device or resource busy");
    EXPECT_TRUE(Contains(text, "Device or resource busy")) << text;
    EXPECT_FALSE(Contains(text, "udev")) << text;
    const std::string silent = HidapiOpenError::Describe("DevSrvsID:42", HidapiOpenError::Node::Unknown, "");
    EXPECT_TRUE(Contains(silent, "DevSrvsID:42")) << silent;
    EXPECT_TRUE(Contains(silent, "no reason given")) << silent;
}

#if defined(__linux__)
TEST(HidapiOpenError, ProbeTellsMissingFromInaccessibleNodes) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "kelvadeck-hidapi-probe";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string node = (dir / "hidraw9").string();
    std::ofstream(node).put('x');
    EXPECT_EQ(HidapiOpenError::Probe(node), HidapiOpenError::Node::Accessible);
    EXPECT_EQ(HidapiOpenError::Probe((dir / "hidraw10").string()), HidapiOpenError::Node::Missing);
    fs::permissions(node, fs::perms::owner_read);
    if (geteuid() != 0) {  // root may open anything, so only others see the refusal
        EXPECT_EQ(HidapiOpenError::Probe(node), HidapiOpenError::Node::NotAccessible);
    }
    fs::remove_all(dir);
}
#endif

}  // namespace
}  // namespace kelvadeck
