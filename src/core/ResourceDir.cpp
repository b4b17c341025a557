#include "core/ResourceDir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace kelvadeck {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Candidates(const std::string& programDir, const std::string& buildDir) {
    std::vector<std::string> out;
    if (const char* env = std::getenv("KELVADECK_RESOURCE_DIR"); env != nullptr && *env != '\0') out.emplace_back(env);
    if (!programDir.empty()) out.push_back((fs::path(programDir) / ".." / "share" / "kelvadeck").string());
    if (!buildDir.empty()) out.push_back(buildDir);
    return out;
}

}  // namespace

std::string ResourceDir::Find(const std::string& programDir, const std::string& buildDir) {
    for (const std::string& candidate : Candidates(programDir, buildDir)) {
        std::error_code ec;
        const fs::path dir(candidate);
        if (fs::is_directory(dir / "presetdata", ec) || fs::is_directory(dir / "help", ec)) {
            const fs::path absolute = fs::weakly_canonical(fs::absolute(dir, ec), ec);
            return ec ? dir.lexically_normal().string() : absolute.string();
        }
    }
    return {};
}

std::string ResourceDir::ProgramDir(const char* argv0) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && !self.empty()) return self.parent_path().string();
    if (argv0 == nullptr || *argv0 == '\0') return {};
    const fs::path given = fs::absolute(fs::path(argv0), ec);
    return ec ? std::string() : given.parent_path().string();
}

}  // namespace kelvadeck
