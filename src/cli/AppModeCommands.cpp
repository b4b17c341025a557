#include "cli/AppModeCommands.h"

#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/CliMessages.h"
#include "cli/CliOptions.h"
#include "cli/CliProgram.h"
#include "cli/FollowFocus.h"
#include "cli/TerminalText.h"
#include "core/AppModeRules.h"

namespace kelvadeck {

namespace {

std::string ModeText(const std::optional<int>& mode) { return mode ? "mode " + std::to_string(*mode) : "stay"; }

// The user's rules; false (said) when their file is bad.
bool LoadRules(const std::string& path, AppModeRules& rules) {
    std::string error;
    if (AppModeRules::Load(path, rules, error)) return true;
    CliMessages::Fail(error);
    return false;
}

int List(const CliOptions& options) {
    const std::string path = AppModeRules::DefaultPath();
    AppModeRules rules;
    if (!LoadRules(path, rules)) return CliProgram::EXIT_FAILED;
    if (options.json) {
        nlohmann::ordered_json rulesJson = nlohmann::ordered_json::array();
        for (const AppModeRules::Rule& r : rules.rules) rulesJson.push_back({{"app", r.app}, {"mode", r.mode}});
        const nlohmann::ordered_json doc{{"file", path},
                                         {"rules", rulesJson},
                                         {"fallback", rules.fallback ? nlohmann::ordered_json(*rules.fallback) : "stay"}};
        std::cout << doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
        return CliProgram::EXIT_OK;
    }
    for (const AppModeRules::Rule& r : rules.rules) std::cout << TerminalText::Escape(r.app) << "\tmode " << r.mode << "\n";
    std::cout << "otherwise\t" << ModeText(rules.fallback) << "\n";
    return CliProgram::EXIT_OK;
}

// Loads the rules, changes them, writes them back; what the followers that
// run (the desktop application, follow-focus) see at the next change of focus.
template <typename Edit>
int Change(Edit edit) {
    const std::string path = AppModeRules::DefaultPath();
    AppModeRules rules;
    if (!LoadRules(path, rules)) return CliProgram::EXIT_FAILED;
    std::string refusal;
    if (!edit(rules, refusal)) {
        CliMessages::Fail(refusal);
        return CliProgram::EXIT_FAILED;
    }
    std::string error;
    if (!rules.Save(path, error)) {
        CliMessages::Fail("cannot write " + path + ": " + error);
        return CliProgram::EXIT_FAILED;
    }
    return CliProgram::EXIT_OK;
}

}  // namespace

void AppModeCommands::Register(CLI::App& app, CliOptions& options) {
    auto* appMode = app.add_subcommand("app-mode", "Which mode follows which application (see follow-focus)");
    appMode->require_subcommand(1);

    appMode->add_subcommand("list", "List the rules in the order they are tried, and what happens otherwise")
        ->callback([&options] { options.exitCode = List(options); });

    struct AddArgs {
        std::string app;
        int mode = 1;
    };
    auto add = std::make_shared<AddArgs>();
    auto* addCmd = appMode->add_subcommand("add", "Make MODE follow APP (a window's app id or WM_CLASS; * and ? allowed)");
    addCmd->add_option("APP", add->app, "The application")->required();
    addCmd->add_option("MODE", add->mode, "Mode 1 to 3")->required()->check(CLI::Range(1, AppModeRules::MODE_COUNT));
    addCmd->callback([&options, add] {
        options.exitCode = Change([&](AppModeRules& rules, std::string& refusal) {
            if (rules.Set(add->app, add->mode)) return true;
            refusal = "\"" + add->app + "\" cannot name an application (empty, or with =, # or a line break)";
            return false;
        });
    });

    auto removeApp = std::make_shared<std::string>();
    auto* removeCmd = appMode->add_subcommand("remove", "Remove the rule for APP");
    removeCmd->add_option("APP", *removeApp, "The application")->required();
    removeCmd->callback([&options, removeApp] {
        options.exitCode = Change([&](AppModeRules& rules, std::string& refusal) {
            if (rules.Remove(*removeApp)) return true;
            refusal = "no rule for \"" + *removeApp + "\"";
            return false;
        });
    });

    auto fallbackMode = std::make_shared<int>(1);
    auto* fallbackCmd = appMode->add_subcommand("fallback", "Use MODE for applications without a rule");
    fallbackCmd->add_option("MODE", *fallbackMode, "Mode 1 to 3")->required()->check(CLI::Range(1, AppModeRules::MODE_COUNT));
    fallbackCmd->callback([&options, fallbackMode] {
        options.exitCode = Change([&](AppModeRules& rules, std::string&) {
            rules.fallback = *fallbackMode;
            return true;
        });
    });

    appMode->add_subcommand("stay", "Leave the mode as it is for applications without a rule")->callback([&options] {
        options.exitCode = Change([](AppModeRules& rules, std::string&) {
            rules.fallback.reset();
            return true;
        });
    });

    app.add_subcommand("follow-focus",
                       "Put the Kelvadeck in the mode the focused application's rule asks for, until stopped (Ctrl+C)")
        ->callback([&options] { options.exitCode = FollowFocus::Run(options); });
}

}  // namespace kelvadeck
