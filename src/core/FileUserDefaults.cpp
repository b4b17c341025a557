#include "core/FileUserDefaults.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "base/AtomicFile.h"
#include "base/XdgDirs.h"

namespace kelvadeck {

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// A settings file is a few dozen bytes; anything far larger is not ours.
constexpr std::uintmax_t kMaxFileSize = 1024 * 1024;
constexpr const char* kAppFolder = "kelvadeck";
constexpr const char* kFileName = "settings.conf";

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

bool IsWritableKey(const std::string& key) {
    if (key.empty() || key != Trim(key) || key.front() == '#') return false;
    return key.find_first_of(std::string_view("=\n\r\0", 4)) == std::string::npos;
}

// Every "KEY=value" line of the file in order; blank lines, comments and lines
// without a key are skipped. Nothing when the file is missing or unreadable.
std::optional<Entries> ReadEntries(const std::filesystem::path& path) {
    if (path.empty()) return std::nullopt;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || ec) return std::nullopt;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileSize) return std::nullopt;

    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;

    Entries entries;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;

        const auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string key = Trim(line.substr(0, eq));
        if (key.empty() || key.front() == '#') continue;
        entries.emplace_back(std::move(key), Trim(line.substr(eq + 1)));
    }
    return entries;
}

std::optional<long> ParseInteger(const std::string& text) {
    long value = 0;
    const char* const first = text.data();
    const char* const last = first + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    return value;
}

#if defined(_WIN32) || defined(__APPLE__)
std::filesystem::path FromEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return {};
    std::filesystem::path path(value);
    // The XDG rules ignore relative paths; so do we, for every variable.
    return path.is_absolute() ? path : std::filesystem::path();
}
#endif

}  // namespace

FileUserDefaults::FileUserDefaults() : m_path(DefaultPath()) {}

FileUserDefaults::FileUserDefaults(std::filesystem::path file, const FileSystemOps& ops)
    : m_path(std::move(file)), m_ops(&ops) {}

std::filesystem::path FileUserDefaults::DefaultPath() {
    std::filesystem::path base;
#if defined(_WIN32)
    base = FromEnv("APPDATA");
#elif defined(__APPLE__)
    base = FromEnv("HOME");
    if (!base.empty()) base = base / "Library" / "Application Support";
#else
    base = XdgDirs::ConfigHome();
#endif
    if (base.empty()) return {};
    return base / kAppFolder / kFileName;
}

std::optional<long> FileUserDefaults::GetInteger(const std::string& key) const {
    const auto entries = ReadEntries(m_path);
    if (!entries) return std::nullopt;
    // The last line of a key wins, as it would if the lines were applied in order.
    for (auto it = entries->rbegin(); it != entries->rend(); ++it) {
        if (it->first == key) return ParseInteger(it->second);
    }
    return std::nullopt;
}

bool FileUserDefaults::SetInteger(const std::string& key, long value) {
    if (m_path.empty() || !IsWritableKey(key)) return false;

    // Keep the other keys; a file we cannot read is replaced.
    Entries entries = ReadEntries(m_path).value_or(Entries{});
    Entries kept;
    for (auto& entry : entries) {
        if (entry.first != key) kept.push_back(std::move(entry));
    }
    kept.emplace_back(key, std::to_string(value));

    std::error_code ec;
    const auto folder = m_path.parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
        if (ec) return false;
    }

    std::string text = "# Kelvadeck user settings\n";
    for (const auto& [k, v] : kept) text += k + '=' + v + '\n';
    std::string error;
    return AtomicFile::Write(m_path.string(), text, error, *m_ops);
}

}  // namespace kelvadeck
