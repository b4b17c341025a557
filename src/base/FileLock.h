#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/FileSystemOps.h"
#include "base/UniqueFd.h"

namespace kelvadeck {

// An advisory lock (flock) that a Kelvadeck program keeps on a file for as
// long as it works on it: the emulator's flash image, held by
// `kelvadeck --emulator=FILE` while it runs and by each
// `kelvadeck-cli --emulator=FILE` command until the command ends. Another
// Kelvadeck program asking for the same file is told that it is busy, so two
// programs never load the same image, edit it apart and save over each other.
//
// The file is saved by writing a new file and renaming it over the name
// (AtomicFile), which leaves a lock on the old file behind. So a lock only
// counts while the name still leads to the locked file (TryLock checks that),
// and Replace locks the new file before it takes the name: from TryLock on,
// the name never leads to an unlocked file. Where the file system has no
// locks (some network mounts) the file is used unlocked, as before.
//
// Toolkit-free and never waits: a caller that wants to wait asks again.
class FileLock {
public:
    enum class Outcome {
        Locked,   // the file is ours until Release or the end of this object
        Created,  // it was missing, has been created holding the initial bytes, and is ours
        Busy,     // another program holds it
        Failed,   // it cannot be opened or created; error says why
    };

    FileLock() = default;
    FileLock(FileLock&&) = default;
    FileLock& operator=(FileLock&&) = default;

    // Locks the file path leads to (through symlinks). A missing file fails.
    Outcome TryLock(const std::string& path, std::string& error);
    // The same, but a missing file is first created holding initial (never
    // replacing a file another program created meanwhile).
    Outcome TryLockOrCreate(const std::string& path, std::span<const uint8_t> initial, std::string& error);

    // Replaces the locked file's content with bytes (AtomicFile) and keeps
    // the new file locked. False with the reason in error, old file kept.
    [[nodiscard]] bool Replace(std::span<const uint8_t> bytes, std::string& error,
                               const FileSystemOps& ops = FileSystemOps::Real());

    bool Held() const { return m_fd.Valid(); }
    // The locked file (symlinks resolved); empty when none is held.
    const std::string& Path() const { return m_path; }
    void Release();

private:
    Outcome Lock(const std::string& path, const std::span<const uint8_t>* initial, std::string& error);

    UniqueFd m_fd;
    std::string m_path;
};

}  // namespace kelvadeck
