#pragma once

#include "screens/ScreenContext.h"

namespace kelvadeck {

// Opens the installed help page for the host's country in the web browser,
// and tells the user when the pages are missing or cannot be shown.
class HelpLauncher {
public:
    static void Open(const ScreenContext& context);
};

}  // namespace kelvadeck
