// The applications a rule can be picked for, from .desktop files: hidden and
// broken entries left out, a user's own file in place of the system's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/InstalledApplications.h"
#include "support/ScratchDir.h"

namespace kelvadeck {
namespace {

TEST(InstalledApplications, VisibleApplicationsFirstFolderWins) {
    const testsupport::ScratchDir dir;
    const auto put = [&dir](const std::string& folder, const std::string& file, const std::string& text) {
        std::filesystem::create_directories(dir.Path() / folder / "applications");
        std::ofstream(dir.Path() / folder / "applications" / file) << text;
    };
    put("user", "org.kde.krita.desktop", "[Desktop Entry]\nType=Application\nName=Krita (mine)\n");
    put("system", "org.kde.krita.desktop", "[Desktop Entry]\nType=Application\nName=Krita\nStartupWMClass=krita\n");
    put("system", "gimp.desktop", "[Desktop Entry]\r\nType=Application\r\nName=GIMP\r\nStartupWMClass=Gimp\r\n[Desktop Action new]\r\nName=New\r\n");
    put("system", "helper.desktop", "[Desktop Entry]\nType=Application\nName=Helper\nNoDisplay=true\n");
    put("system", "link.desktop", "[Desktop Entry]\nType=Link\nName=A link\n");
    put("system", "noname.desktop", "[Desktop Entry]\nType=Application\n");
    put("system", "notes.txt", "[Desktop Entry]\nType=Application\nName=Not a desktop file\n");
    const std::vector<InstalledApplications::Application> apps =
        InstalledApplications::List({dir.File("user"), dir.File("missing"), dir.File("system")});
    const std::vector<InstalledApplications::Application> want{{"gimp", "GIMP", "Gimp"}, {"org.kde.krita", "Krita (mine)", ""}};
    EXPECT_EQ(apps, want);
}

}  // namespace
}  // namespace kelvadeck
