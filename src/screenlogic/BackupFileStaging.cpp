#include "screenlogic/BackupFileStaging.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kelvadeck {

std::string BackupFileStaging::StagingPath(const std::string& destination) { return destination + ".part"; }

bool BackupFileStaging::Commit(const std::string& destination, std::string& error) {
    std::error_code ec;
    std::filesystem::rename(StagingPath(destination), destination, ec);
    if (ec) {
        error = ec.message();
        Discard(destination);
        return false;
    }
    return true;
}

void BackupFileStaging::Discard(const std::string& destination) {
    std::error_code ec;
    std::filesystem::remove(StagingPath(destination), ec);
}

std::string BackupFileStaging::WhyNotWritable(const std::string& destination) {
    const std::string staging = StagingPath(destination);
    std::FILE* f = std::fopen(staging.c_str(), "wb");
    if (f == nullptr) return std::strerror(errno);
    // It can be created now; the write itself failed (a full disk, usually).
    std::fclose(f);
    Discard(destination);
    return std::strerror(ENOSPC);
}

}  // namespace kelvadeck
