#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/FileSystemOps.h"

namespace kelvadeck {

// Which of the Kelvadeck's three modes follows which application: an ordered
// list of rules "application -> mode" and what happens when none matches
// (a fixed mode, or the device stays in the mode it is in). An application
// is known by the names its windows carry (a Wayland app id, the two halves
// of an X11 WM_CLASS); a rule's application is such a name, compared without
// regard to case, and may hold the wildcards * and ?.
//
// Kept in the user's configuration folder as a short text that people can
// read and edit:
//
//   # comments and blank lines are kept out
//   fallback = stay          (or a mode, 1 to 3)
//   krita = 2
//   org.gimp.GIMP = 3
//   inkscape* = 1
class AppModeRules {
public:
    static constexpr int MODE_COUNT = 3;

    struct Rule {
        std::string app;
        int mode = 1;  // 1 to 3, as the device's mode keys count them
        bool operator==(const Rule&) const = default;
    };

    std::vector<Rule> rules;
    std::optional<int> fallback;  // none: stay in the current mode

    // The mode for the focused window (1 to 3), or none: leave the mode as it is.
    std::optional<int> ModeFor(const std::vector<std::string>& names) const;
    static bool Matches(const std::string& pattern, const std::string& name);

    // Adds a rule at the end, or changes the mode of the rule that names the
    // same application (its place kept). False for a mode out of range or an
    // application name that cannot be stored (empty, or with "=" or a line break).
    bool Set(const std::string& app, int mode);
    // False when no rule names the application.
    bool Remove(const std::string& app);

    std::string ToText() const;
    // False with the first bad line named in error; rules untouched then.
    bool FromText(const std::string& text, std::string& error);

    // $XDG_CONFIG_HOME/kelvadeck/app-modes.conf (~/.config/... by default).
    static std::string DefaultPath();
    // A missing file is no rules at all (true).
    static bool Load(const std::string& path, AppModeRules& rules, std::string& error);
    bool Save(const std::string& path, std::string& error, const FileSystemOps& ops = FileSystemOps::Real()) const;

    bool operator==(const AppModeRules&) const = default;
};

}  // namespace kelvadeck
