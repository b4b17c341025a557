#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

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
