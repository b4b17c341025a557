#include "screens/HelpLauncher.h"

#include "core/DataManager.h"
#include "model/Constants.h"
#include "screenlogic/TextTemplate.h"
#include "screens/UserPrompts.h"

namespace kelvadeck {

void HelpLauncher::Open(const ScreenContext& ctx, const char* page) {
    ctx.Trace(ctx.countryCode);
    if (ctx.prompts == nullptr) return;
    const StringTable& s = ctx.Strings();
    const std::string wanted = page != nullptr ? page : HelpPage::START_PAGE;
    const std::string path = HelpPage::Locate(ctx.resourceDir, ctx.countryCode, s.Language(), wanted);
    if (path.empty()) {
        ctx.prompts->ShowError(std::string(),
                               TextTemplate::Fill(s.Get("HELP_NOT_FOUND_MSG"), {ctx.resourceDir + "/" + Constants::HELP_LINK_URL_FIRST}));
    } else if (!ctx.prompts->OpenHelpPage(path)) {
        ctx.prompts->ShowError(std::string(), TextTemplate::Fill(s.Get("HELP_OPEN_ERROR_MSG"), {path}));
    }
}

}  // namespace kelvadeck
