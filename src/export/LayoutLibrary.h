#pragma once

#include <optional>
#include <string>
#include <vector>

#include "export/ModeLayout.h"

namespace kelvadeck {

class DataManager;
class KeyCode;

// Where layout files are: those installed with the program (beside the
// preset data, RESOURCES/layouts) and the user's own
// ($XDG_DATA_HOME/kelvadeck/layouts, ~/.local/share/kelvadeck/layouts by
// default). A layout is named by its file name without ".json"; a user's
// layout of the same name as an installed one is the one that counts.
class LayoutLibrary {
public:
    struct Entry {
        std::string name;  // the file name without .json
        std::string path;
        bool user = false;
        ModeLayout::About about;  // empty when the file cannot be read
        std::string problem;      // the first fault of a file that cannot be used
    };

    // installedDir or userDir may be empty (no such folder).
    LayoutLibrary(std::string installedDir, std::string userDir);

    // resourceDir/layouts, or empty without a resource folder.
    static std::string InstalledDir(const std::string& resourceDir);
    static std::string UserDir();

    const std::string& UserFolder() const { return m_userDir; }

    // Every layout, by name; each file is read and checked.
    std::vector<Entry> List(const KeyCode& keys) const;
    // The file of a layout: a name from the list, or the path of a file
    // (anything with a "/" or ending in ".json"). None when there is no such layout.
    std::optional<std::string> Find(const std::string& nameOrPath) const;
    // Where `layout save NAME` puts a layout: the user folder for a plain
    // name, the path itself for a path.
    std::string SavePath(const std::string& nameOrPath) const;
    static bool IsPath(const std::string& nameOrPath);

    // Reads and checks a layout file (its problems say why it cannot be used).
    static ModeLayout Load(const std::string& path, const KeyCode& keys);

    struct Saved {
        std::string path;
        size_t scripts = 0;
        std::vector<std::string> warnings;  // from ModeLayout::Document
    };
    // Writes mode (0..2) of dm as a layout to SavePath(nameOrPath), whole or
    // not at all (AtomicFile), making the user folder when needed; without a
    // name in about, the file's name is the layout's. The sectors of
    // ModeLayout::ScriptsOf must have been read. False with error.
    bool Save(const DataManager& dm, int mode, ModeLayout::About about, const std::string& nameOrPath, Saved& saved,
              std::string& error) const;

private:
    std::string m_installedDir;
    std::string m_userDir;
};

}  // namespace kelvadeck
