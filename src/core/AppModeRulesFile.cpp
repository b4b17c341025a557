#include "core/AppModeRulesFile.h"

#include <sys/stat.h>

namespace kelvadeck {

bool AppModeRulesFile::Refresh(AppModeRules& rules, std::string& error) {
    struct stat st {};
    const bool exists = ::stat(m_path.c_str(), &st) == 0;
    const std::pair<long, long> stamp = exists ? std::pair<long, long>(st.st_mtim.tv_sec, st.st_mtim.tv_nsec) : std::pair<long, long>(0, 0);
    if (m_read && stamp == m_stamp) return false;
    m_read = true;
    m_stamp = stamp;
    AppModeRules fresh;
    if (!AppModeRules::Load(m_path, fresh, error)) return false;
    rules = std::move(fresh);
    return true;
}

}  // namespace kelvadeck
