#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/UserDefaults.h"
#include "base/FileSystemOps.h"

namespace kelvadeck {

// User defaults kept in a small per-user text file of "KEY=value" lines.
// Default location: $XDG_CONFIG_HOME/kelvadeck/settings.conf on Linux (falling
// back to $HOME/.config/kelvadeck/settings.conf), %APPDATA%\kelvadeck\settings.conf
// on Windows, ~/Library/Application Support/kelvadeck/settings.conf on macOS.
//
// The file is read on every GetInteger, so a change made by another instance is
// seen. A missing, unreadable or garbled file (or a garbled line) simply leaves
// values absent. SetInteger rewrites the whole file with AtomicFile, so a
// reader never sees half a file and a failed write keeps the old one.
class FileUserDefaults : public UserDefaults {
public:
    // The file in the platform's usual place (see DefaultPath).
    FileUserDefaults();
    // An explicit file, e.g. for tests or a --config option, written with ops.
    explicit FileUserDefaults(std::filesystem::path file, const FileSystemOps& ops = FileSystemOps::Real());

    // Empty when the environment names no home or configuration folder; such
    // defaults read as absent and refuse to store.
    static std::filesystem::path DefaultPath();
    const std::filesystem::path& Path() const { return m_path; }

    std::optional<long> GetInteger(const std::string& key) const override;
    // False when the key cannot be written as a line ("=", line breaks, NUL,
    // surrounding blanks, empty) or the folder or file cannot be written.
    [[nodiscard]] bool SetInteger(const std::string& key, long value) override;

private:
    std::filesystem::path m_path;
    const FileSystemOps* m_ops = &FileSystemOps::Real();
};

}  // namespace kelvadeck
