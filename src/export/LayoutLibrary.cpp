#include "export/LayoutLibrary.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

#include "base/AtomicFile.h"
#include "base/XdgDirs.h"
#include "export/SettingsJsonTransfer.h"

namespace kelvadeck {

namespace {

namespace fs = std::filesystem;

constexpr const char* kExtension = ".json";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The layout files of a folder by name; a missing folder has none.
std::map<std::string, std::string> FilesIn(const std::string& dir) {
    std::map<std::string, std::string> files;
    if (dir.empty()) return files;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        if (path.extension() == kExtension && it->is_regular_file(ec)) files[path.stem().string()] = path.string();
    }
    return files;
}

}  // namespace

LayoutLibrary::LayoutLibrary(std::string installedDir, std::string userDir)
    : m_installedDir(std::move(installedDir)), m_userDir(std::move(userDir)) {}

std::string LayoutLibrary::InstalledDir(const std::string& resourceDir) {
    return resourceDir.empty() ? std::string() : (fs::path(resourceDir) / "layouts").string();
}

std::string LayoutLibrary::UserDir() {
    const fs::path base = XdgDirs::DataHome();
    return base.empty() ? std::string() : (base / "kelvadeck" / "layouts").string();
}

std::vector<LayoutLibrary::Entry> LayoutLibrary::List(const KeyCode& keys) const {
    std::map<std::string, Entry> byName;
    for (const bool user : {false, true}) {
        for (const auto& [name, path] : FilesIn(user ? m_userDir : m_installedDir)) {
            Entry e{name, path, user, {}, {}};
            const ModeLayout layout = Load(path, keys);
            e.about = layout.about;
            if (!layout.ok()) e.problem = SettingsJson::Describe(layout.problems.front());
            byName[name] = std::move(e);
        }
    }
    std::vector<Entry> entries;
    for (auto& [name, e] : byName) entries.push_back(std::move(e));
    return entries;
}

bool LayoutLibrary::IsPath(const std::string& nameOrPath) {
    return nameOrPath.find('/') != std::string::npos || EndsWith(nameOrPath, kExtension);
}

std::optional<std::string> LayoutLibrary::Find(const std::string& nameOrPath) const {
    if (IsPath(nameOrPath)) return nameOrPath;
    for (const std::string& dir : {m_userDir, m_installedDir}) {
        const auto files = FilesIn(dir);
        if (const auto it = files.find(nameOrPath); it != files.end()) return it->second;
    }
    return std::nullopt;
}

std::string LayoutLibrary::SavePath(const std::string& nameOrPath) const {
    if (IsPath(nameOrPath) || m_userDir.empty()) return nameOrPath;
    return (fs::path(m_userDir) / (nameOrPath + kExtension)).string();
}

ModeLayout LayoutLibrary::Load(const std::string& path, const KeyCode& keys) {
    std::string text;
    std::string error;
    if (!SettingsJsonTransfer::ReadText(path, text, error)) {
        ModeLayout layout;
        layout.problems.push_back({"", error});
        return layout;
    }
    return ModeLayout::Read(text, keys);
}

bool LayoutLibrary::Save(const DataManager& dm, int mode, ModeLayout::About about, const std::string& nameOrPath, Saved& saved,
                         std::string& error) const {
    saved = Saved{SavePath(nameOrPath), 0, {}};
    if (about.name.empty()) about.name = fs::path(saved.path).stem().string();
    const nlohmann::ordered_json doc = ModeLayout::Document(dm, mode, about, saved.warnings);
    if (doc.is_null()) {
        error = "there is no mode " + std::to_string(mode + 1);
        return false;
    }
    saved.scripts = doc["scripts"].size();
    if (!IsPath(nameOrPath)) {
        std::error_code ec;
        fs::create_directories(m_userDir, ec);
    }
    std::string why;
    if (!AtomicFile::Write(saved.path, doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n", why)) {
        error = "cannot write " + saved.path + ": " + why;
        return false;
    }
    return true;
}

}  // namespace kelvadeck
