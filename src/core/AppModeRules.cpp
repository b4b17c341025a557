#include "core/AppModeRules.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "base/AtomicFile.h"
#include "base/XdgDirs.h"

namespace kelvadeck {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// '*' any run of characters, '?' one character; the rest without regard to case.
bool Glob(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::string Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return std::string(s.substr(first, last - first + 1));
}

std::optional<int> ParseMode(const std::string& text) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '0' + AppModeRules::MODE_COUNT) return std::nullopt;
    return text[0] - '0';
}

bool StorableApp(const std::string& app) {
    return !app.empty() && Trim(app) == app && app.find_first_of("=\n#") == std::string::npos;
}

}  // namespace

bool AppModeRules::Matches(const std::string& pattern, const std::string& name) { return Glob(pattern, name); }

std::optional<int> AppModeRules::ModeFor(const std::vector<std::string>& names) const {
    for (const Rule& r : rules) {
        for (const std::string& name : names) {
            if (!name.empty() && Matches(r.app, name)) return r.mode;
        }
    }
    return fallback;
}

bool AppModeRules::Set(const std::string& app, int mode) {
    if (mode < 1 || mode > MODE_COUNT || !StorableApp(app)) return false;
    const auto it = std::find_if(rules.begin(), rules.end(), [&app](const Rule& r) { return EqualNoCase(r.app, app); });
    if (it != rules.end()) {
        it->mode = mode;
    } else {
        rules.push_back({app, mode});
    }
    return true;
}

bool AppModeRules::Remove(const std::string& app) {
    const auto before = rules.size();
    std::erase_if(rules, [&app](const Rule& r) { return EqualNoCase(r.app, app); });
    return rules.size() != before;
}

std::string AppModeRules::ToText() const {
    std::ostringstream out;
    out << "# Which Kelvadeck mode follows which application (kelvadeck-cli app-mode, or the\n"
           "# desktop application). The first rule that matches the focused window wins; an\n"
           "# application may be written with the wildcards * and ?, case does not matter.\n"
        << "fallback = " << (fallback ? std::to_string(*fallback) : std::string("stay")) << "\n";
    for (const Rule& r : rules) out << r.app << " = " << r.mode << "\n";
    return out.str();
}

bool AppModeRules::FromText(const std::string& text, std::string& error) {
    AppModeRules parsed;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string content = Trim(line);
        if (content.empty() || content[0] == '#') continue;
        const size_t eq = content.find('=');
        const std::string key = eq == std::string::npos ? content : Trim(std::string_view(content).substr(0, eq));
        const std::string value = eq == std::string::npos ? std::string() : Trim(std::string_view(content).substr(eq + 1));
        const std::optional<int> mode = ParseMode(value);
        if (key == "fallback" && (value == "stay" || mode)) {
            parsed.fallback = mode;
        } else if (eq == std::string::npos || key.empty() || !mode || !parsed.Set(key, *mode)) {
            error = "line " + std::to_string(number) + ": \"" + content + "\" is not \"application = 1, 2 or 3\"";
            return false;
        }
    }
    *this = std::move(parsed);
    return true;
}

std::string AppModeRules::DefaultPath() {
    std::filesystem::path base = XdgDirs::ConfigHome();
    if (base.empty()) base = ".";
    return (base / "kelvadeck" / "app-modes.conf").string();
}

bool AppModeRules::Load(const std::string& path, AppModeRules& rules, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        rules = AppModeRules{};
        return true;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!rules.FromText(text.str(), error)) {
        error = path + ", " + error;
        return false;
    }
    return true;
}

bool AppModeRules::Save(const std::string& path, std::string& error, const FileSystemOps& ops) const {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    return AtomicFile::Write(path, ToText(), error, ops);
}

}  // namespace kelvadeck
