#pragma once

#include "model/StringTable.h"
#include "screens/UserPrompts.h"

class QWidget;

namespace kelvadeck {

// The prompts as Qt dialogs: message boxes, the platform's file dialogs and
// the desktop's web browser. Dialogs are modal to the active window.
class QtUserPrompts : public UserPrompts {
public:
    explicit QtUserPrompts(StringTable strings) : m_strings(std::move(strings)) {}

    bool Confirm(const std::string& message, const std::string& informative) override;
    void Notify(const std::string& message, const std::string& informative) override;
    SaveChoice AskSaveChanges(const std::string& message, const std::string& informative) override;
    void ShowError(const std::string& message, const std::string& informative) override;
    std::optional<std::string> ChooseSaveFile(const std::string& extension) override;
    std::optional<std::string> ChooseOpenFile(const std::string& extension) override;
    bool OpenHelpPage(const std::string& path) override;

private:
    StringTable m_strings;
};

}  // namespace kelvadeck
