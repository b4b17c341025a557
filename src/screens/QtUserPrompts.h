#pragma once

#include <QMessageBox>

#include "model/StringTable.h"
#include "screens/UserPrompts.h"

namespace kelvadeck {

// The prompts as Qt dialogs: message boxes, the platform's file dialogs and
// the desktop's web browser. Dialogs are modal to the active window.
class QtUserPrompts : public UserPrompts {
public:
    explicit QtUserPrompts(StringTable strings) : m_strings(std::move(strings)) {}

    bool Ask(const Question& question) override;
    void Notify(const std::string& message, const std::string& informative) override;
    SaveChoice AskSaveChanges(const std::string& message, const std::string& informative) override;
    void ShowError(const std::string& message, const std::string& informative) override;
    std::optional<std::string> ChooseSaveFile(const std::string& extension) override;
    std::optional<std::string> ChooseOpenFile(const std::string& extension) override;
    bool OpenHelpPage(const std::string& path) override;

    // The narrowest a message box is.
    static constexpr int MIN_WIDTH = 440;

private:
    // Title, icon, headline and explanation of a box.
    void Prepare(QMessageBox& box, QMessageBox::Icon icon, const std::string& message, const std::string& informative) const;
    // Shows the box until it is answered.
    static void Run(QMessageBox& box);

    StringTable m_strings;
};

}  // namespace kelvadeck
