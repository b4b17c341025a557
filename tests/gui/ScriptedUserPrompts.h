#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "screens/UserPrompts.h"

namespace kelvadeck::guitest {

// Prompts answered from a script: each call takes the next answer queued for
// its kind and records what was asked. A call with no answer queued answers
// "Cancel" (or no file) and is noted as unexpected.
class ScriptedUserPrompts : public UserPrompts {
public:
    std::deque<bool> confirmAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<SaveChoice> saveChoices;
    bool helpOpens = true;

    std::vector<std::string> confirms;  // informative texts
    std::vector<Question> questions;    // the same, whole
    std::vector<std::string> errorHeadlines;
    std::vector<std::string> notices;
    std::vector<std::string> errors;
    std::vector<std::string> helpPages;
    std::vector<std::string> panelExtensions;
    std::vector<std::string> unexpected;

    bool Ask(const Question& question) override {
        const std::string& informative = question.explanation;
        confirms.push_back(informative);
        questions.push_back(question);
        if (confirmAnswers.empty()) {
            unexpected.push_back("confirm: " + informative);
            return false;
        }
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    SaveChoice AskSaveChanges(const std::string&, const std::string& informative) override {
        confirms.push_back(informative);
        if (saveChoices.empty()) {
            unexpected.push_back("save changes: " + informative);
            return SaveChoice::Cancel;
        }
        const SaveChoice answer = saveChoices.front();
        saveChoices.pop_front();
        return answer;
    }
    void Notify(const std::string&, const std::string& informative) override { notices.push_back(informative); }
    void ShowError(const std::string& message, const std::string& informative) override {
        errorHeadlines.push_back(message);
        errors.push_back(informative);
    }
    std::optional<std::string> ChooseSaveFile(const std::string& extension) override {
        return Take(saveAnswers, "save panel", extension);
    }
    std::optional<std::string> ChooseOpenFile(const std::string& extension) override {
        return Take(openAnswers, "open panel", extension);
    }
    bool OpenHelpPage(const std::string& path) override {
        helpPages.push_back(path);
        return helpOpens;
    }

private:
    std::optional<std::string> Take(std::deque<std::optional<std::string>>& answers, const char* what, const std::string& extension) {
        panelExtensions.push_back(extension);
        if (answers.empty()) {
            unexpected.push_back(what);
            return std::nullopt;
        }
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace kelvadeck::guitest
