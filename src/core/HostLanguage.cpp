#include "core/HostLanguage.h"

#include <cstdlib>

namespace kelvadeck {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::string HostLanguage::FromEnvironment() {
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = Variable(name);
        if (!locale.empty()) break;
    }
    const std::string priority = Variable("LANGUAGE");
    if (!priority.empty() && locale != "C" && locale != "POSIX") {
        const std::string first = priority.substr(0, priority.find(':'));
        if (!first.empty()) return first;
    }
    return locale;
}

}  // namespace kelvadeck
