#include "screens/HelpLauncher.h"

#include "app/DataManager.h"
#include "model/Constants.h"
#include "screenlogic/HelpPage.h"
#include "screenlogic/TextTemplate.h"
#include "screens/UserPrompts.h"

namespace kelvadeck {

void HelpLauncher::Open(const ScreenContext& ctx) {
    if (ctx.pDM) ctx.pDM->Log().Write(ctx.countryCode);
    if (ctx.prompts == nullptr) return;
    const StringTable fallback;
    const StringTable& s = ctx.pDM ? ctx.pDM->Strings() : fallback;
    const std::string page = HelpPage::Locate(ctx.resourceDir, ctx.countryCode);
    if (page.empty()) {
        ctx.prompts->ShowError(s.Get("APPLICATION_NAME"),
                               TextTemplate::Fill(s.Get("HELP_NOT_FOUND_MSG"), {ctx.resourceDir + "/" + Constants::HELP_LINK_URL_FIRST}));
    } else if (!ctx.prompts->OpenHelpPage(page)) {
        ctx.prompts->ShowError(s.Get("APPLICATION_NAME"), TextTemplate::Fill(s.Get("HELP_OPEN_ERROR_MSG"), {page}));
    }
}

}  // namespace kelvadeck
