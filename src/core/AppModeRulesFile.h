#pragma once

#include <string>
#include <utility>

#include "core/AppModeRules.h"

namespace kelvadeck {

// The rules file of a follower that runs for long: read again whenever it
// has changed (by its modification time), so edits made elsewhere (the
// command line, the desktop application, a text editor) apply at once.
class AppModeRulesFile {
public:
    explicit AppModeRulesFile(std::string path = AppModeRules::DefaultPath()) : m_path(std::move(path)) {}

    // True when the rules were (re)read into rules. A bad file sets error and
    // leaves the rules in use as they are.
    bool Refresh(AppModeRules& rules, std::string& error);
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    bool m_read = false;
    std::pair<long, long> m_stamp{0, 0};
};

}  // namespace kelvadeck
