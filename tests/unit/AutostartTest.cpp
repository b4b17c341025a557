// The login's autostart entry: written whole, starting the configurator in
// the tray; removed again; a folder that cannot hold it is said, not ignored.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Autostart.h"
#include "support/ScratchDir.h"

namespace kelvadeck {
namespace {

TEST(Autostart, TheEntryComesAndGoesAndAFailureIsSaid) {
    const testsupport::ScratchDir dir;
    const Autostart autostart(dir.File("autostart"));
    std::string error;
    EXPECT_FALSE(autostart.Enabled());
    EXPECT_TRUE(autostart.Set(false, error)) << error;  // nothing to remove: fine

    ASSERT_TRUE(autostart.Set(true, error)) << error;
    EXPECT_TRUE(autostart.Enabled());
    std::stringstream text;
    text << std::ifstream(autostart.Path()).rdbuf();
    EXPECT_NE(text.str().find("\nExec=kelvadeck --in-tray\n"), std::string::npos) << text.str();
    EXPECT_EQ(text.str().rfind("[Desktop Entry]\n", 0), 0u);

    ASSERT_TRUE(autostart.Set(false, error)) << error;
    EXPECT_FALSE(autostart.Enabled());

    // The autostart "folder" is a file: nothing can go in it.
    std::ofstream(dir.File("blocked")) << "x";
    const Autostart blocked(dir.File("blocked"));
    error.clear();
    EXPECT_FALSE(blocked.Set(true, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(blocked.Enabled());
}

}  // namespace
}  // namespace kelvadeck
