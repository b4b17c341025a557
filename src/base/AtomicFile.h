#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/FileSystemOps.h"

namespace kelvadeck {

// Writes a whole file so that it is either replaced completely or left as it
// was: the bytes go into a new temporary file beside the target (created
// exclusively, so nothing planted there is followed or overwritten), are
// flushed and synced, get the old file's permissions (a new file those of the
// umask), and only then take the target's name by a rename. When any step
// fails (a full disk, a file size limit, a vanished folder) the temporary is
// removed and the old file is untouched. A target that is a symlink is
// written where the link points, and the link stays. A file the user may not
// write, or one that is not a regular file, is refused.
//
// Every file the programs write goes through here: backups, exports, macro
// script files, the emulator's flash image and the user's settings.
class AtomicFile {
public:
    struct Options {
        const FileSystemOps* ops = &FileSystemOps::Real();
        // False: a file that exists at the target is never replaced (EEXIST).
        bool replace = true;
        // Called with the complete temporary just before it takes the
        // target's name (FileLock locks it there). False stops the write.
        std::function<bool(int fd, std::string& error)> beforeRename;
    };

    // True when path holds exactly bytes; otherwise false with the reason in
    // error, in the system's words ("No space left on device"), and the old
    // file as it was.
    [[nodiscard]] static bool Write(const std::string& path, std::span<const uint8_t> bytes, std::string& error,
                                    const FileSystemOps& ops = FileSystemOps::Real());
    [[nodiscard]] static bool Write(const std::string& path, std::string_view text, std::string& error,
                                    const FileSystemOps& ops = FileSystemOps::Real());
    [[nodiscard]] static bool Write(const std::string& path, std::span<const uint8_t> bytes, std::string& error,
                                    const Options& options);

    // The file a write of path changes: the end of its chain of symlinks, or
    // path itself. None with the reason in error when the chain cannot be
    // followed (a loop, no access).
    static std::optional<std::string> Target(const std::string& path, std::string& error);

    // The system's words for an errno value.
    static std::string Reason(int errnum);
};

}  // namespace kelvadeck
