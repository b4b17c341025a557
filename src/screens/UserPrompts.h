#pragma once

#include <optional>
#include <string>

namespace kelvadeck {

// Everything a screen asks of the user outside its own window: alerts, file
// panels and the help page. The application shows real dialogs; the tests
// answer from a script.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A question before something is changed.
    struct Question {
        std::string headline;      // what is asked; empty: the explanation's first sentence
        std::string explanation;   // what follows, what is lost
        std::string verb;          // the button that goes ahead ("Erase Device"); empty: "OK"
        bool destructive = false;  // Cancel is the default button: Enter destroys nothing
    };
    // The question's verb and "Cancel": true for the verb.
    virtual bool Ask(const Question& question) = 0;
    // "OK" and "Cancel": true for OK.
    bool Confirm(const std::string& message, const std::string& informative) { return Ask({message, informative, {}, false}); }

    // Below, an empty message makes the informative text's first sentence the
    // headline, and the rest its explanation.
    // One "OK" button; returns when the user has read it.
    virtual void Notify(const std::string& message, const std::string& informative) = 0;
    // Unsaved changes are about to be left: "Save", "Don't save" or "Cancel".
    enum class SaveChoice { Save, Discard, Cancel };
    virtual SaveChoice AskSaveChanges(const std::string& message, const std::string& informative) = 0;
    // Something went wrong: what, and what to do about it.
    virtual void ShowError(const std::string& message, const std::string& informative) = 0;
    // Save and open panels limited to files with the extension (no dot);
    // none when the user cancels.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& extension) = 0;
    virtual std::optional<std::string> ChooseOpenFile(const std::string& extension) = 0;
    // Shows a local help page in the web browser. False when that fails.
    virtual bool OpenHelpPage(const std::string& path) = 0;
};

}  // namespace kelvadeck
