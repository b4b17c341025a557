#include "core/InstalledApplications.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "base/XdgDirs.h"

namespace kelvadeck {

namespace {

namespace fs = std::filesystem;

// A .desktop file is small; anything bigger is not one.
constexpr std::uintmax_t kFileLimit = 256 * 1024;

bool ReadEntry(const fs::path& file, InstalledApplications::Application& app) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec) || fs::file_size(file, ec) > kFileLimit || ec) return false;
    std::ifstream in(file);
    bool inEntry = false;
    bool application = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "Type") application = value == "Application";
        if (key == "Name") app.name = value;
        if (key == "StartupWMClass") app.wmClass = value;
        if ((key == "NoDisplay" || key == "Hidden") && value == "true") return false;
    }
    return application && !app.name.empty();
}

}  // namespace

std::vector<std::string> InstalledApplications::DataFolders() {
    std::vector<std::string> folders;
    if (const std::filesystem::path home = XdgDirs::DataHome(); !home.empty()) folders.push_back(home.string());
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs != nullptr && *dirs != '\0' ? dirs : "/usr/local/share:/usr/share";
    for (size_t start = 0; start <= list.size();) {
        const size_t end = std::min(list.find(':', start), list.size());
        if (end > start && list[start] == '/') folders.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

std::vector<InstalledApplications::Application> InstalledApplications::List(const std::vector<std::string>& dataFolders) {
    std::vector<Application> apps;
    std::set<std::string> seen;
    for (const std::string& folder : dataFolders) {
        std::error_code ec;
        const fs::path dir = fs::path(folder) / "applications";
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path file = it->path();
            if (file.extension() != ".desktop") continue;
            Application app;
            app.id = file.stem().string();
            // A user's own file hides (or replaces) the system's of that id.
            if (!seen.insert(app.id).second) continue;
            if (ReadEntry(file, app)) apps.push_back(std::move(app));
        }
    }
    std::sort(apps.begin(), apps.end(), [](const Application& a, const Application& b) { return a.name < b.name; });
    return apps;
}

}  // namespace kelvadeck
