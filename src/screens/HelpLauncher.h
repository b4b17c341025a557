#pragma once

#include "screenlogic/HelpPage.h"
#include "screens/ScreenContext.h"

namespace kelvadeck {

// Opens an installed help page in the web browser, in the language of the
// host (Japanese for a Japanese host or configurator, English otherwise), and
// tells the user when the pages are missing or cannot be shown. Each screen
// names its own page; a page that is not installed falls back to the start
// page.
class HelpLauncher {
public:
    static void Open(const ScreenContext& context, const char* page = HelpPage::START_PAGE);
};

}  // namespace kelvadeck
