#pragma once

#include <string>

namespace kelvadeck {

// A backup is written next to its destination first and takes the chosen
// name only once it is complete, so that a failed or cancelled backup never
// leaves a damaged file behind nor destroys an earlier backup of that name.
class BackupFileStaging {
public:
    // The file the job writes: the destination with ".part" appended.
    static std::string StagingPath(const std::string& destination);
    // Moves the complete staging file to the destination. False (staging file
    // removed, error set) when that fails.
    [[nodiscard]] static bool Commit(const std::string& destination, std::string& error);
    // Removes the staging file, if there is one.
    static void Discard(const std::string& destination);
    // Why the staging file cannot be written, in the system's words (after a
    // failed write; tries to create it and removes it again).
    static std::string WhyNotWritable(const std::string& destination);
};

}  // namespace kelvadeck
