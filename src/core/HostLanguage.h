#pragma once

#include <string>

namespace kelvadeck {

// The language the user asked for, read as gettext reads it, so that both
// programs speak the same language in the same session: the first entry of
// LANGUAGE (a priority list such as "ja:en"), else LC_ALL, LC_MESSAGES and
// LANG in that order; the first that is set and not empty wins. LANGUAGE is
// passed over when the locale is "C" or "POSIX", as gettext does. Empty: none
// asked for (English).
class HostLanguage {
public:
    static std::string FromEnvironment();
};

}  // namespace kelvadeck
