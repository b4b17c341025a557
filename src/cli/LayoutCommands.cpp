#include "cli/LayoutCommands.h"

#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/CliMessages.h"
#include "cli/CliOptions.h"
#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "cli/SettingsJsonCommands.h"
#include "cli/TerminalText.h"
#include "core/AppModeRules.h"
#include "core/DataManager.h"
#include "export/LayoutLibrary.h"
#include "export/ModeLayout.h"
#include "keys/KeyCode.h"
#include "model/FlashControl.h"

namespace kelvadeck {

namespace {

using ojson = nlohmann::ordered_json;

LayoutLibrary Library(const CliOptions& options) {
    return LayoutLibrary(LayoutLibrary::InstalledDir(options.resourceDir), LayoutLibrary::UserDir());
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string out;
    for (const std::string& t : texts) out += (out.empty() ? "" : ", ") + t;
    return out;
}

// The layout of a name or path, checked; none after a message.
std::optional<ModeLayout> LoadChecked(const CliOptions& options, const std::string& name, const std::string& refusal) {
    const std::optional<std::string> path = Library(options).Find(name);
    if (!path) {
        CliMessages::Fail("no layout named \"" + name + "\" (see layout list)");
        return std::nullopt;
    }
    const KeyCode keys;
    ModeLayout layout = LayoutLibrary::Load(*path, keys);
    if (!layout.ok()) {
        SettingsJsonCommands::PrintProblems(*path + refusal, layout.problems);
        return std::nullopt;
    }
    return layout;
}

int List(const CliOptions& options) {
    const KeyCode keys;
    const std::vector<LayoutLibrary::Entry> entries = Library(options).List(keys);
    if (options.json) {
        ojson list = ojson::array();
        for (const LayoutLibrary::Entry& e : entries) {
            list.push_back(ojson{{"name", e.name},
                                 {"file", e.path},
                                 {"user", e.user},
                                 {"title", e.about.name},
                                 {"application", e.about.application},
                                 {"applications", e.about.applications},
                                 {"description", e.about.description},
                                 {"problem", e.problem.empty() ? ojson(nullptr) : ojson(e.problem)}});
        }
        std::cout << list.dump(2, ' ', false, ojson::error_handler_t::replace) << "\n";
        return DeviceSession::EXIT_OK;
    }
    for (const LayoutLibrary::Entry& e : entries) {
        std::cout << TerminalText::Escape(e.name) << "\t";
        if (!e.problem.empty()) {
            std::cout << "cannot be used: " << TerminalText::Escape(e.problem) << "\n";
            continue;
        }
        std::cout << TerminalText::Escape(e.about.application.empty() ? e.about.name : e.about.application)
                  << (e.user ? " (yours)" : "") << "\t" << TerminalText::Escape(e.about.description) << "\n";
    }
    if (entries.empty()) std::cout << "no layouts found\n";
    return DeviceSession::EXIT_OK;
}

int Show(const CliOptions& options, const std::string& name) {
    const std::optional<ModeLayout> layout = LoadChecked(options, name, " cannot be used:");
    if (!layout) return DeviceSession::EXIT_FAILED;
    const ModeLayout::About& a = layout->about;
    std::cout << TerminalText::Escape(a.name) << "\n";
    if (!a.application.empty()) std::cout << "application: " << TerminalText::Escape(a.application) << "\n";
    if (!a.applications.empty()) std::cout << "windows: " << TerminalText::Escape(Joined(a.applications)) << "\n";
    if (!a.description.empty()) std::cout << TerminalText::Escape(a.description) << "\n";
    for (const std::string& line : layout->Preview()) std::cout << "  " << TerminalText::Escape(line) << "\n";
    if (!a.sources.empty()) std::cout << "sources:\n";
    for (const std::string& s : a.sources) std::cout << "  " << TerminalText::Escape(s) << "\n";
    if (!a.unconfirmed.empty()) std::cout << "not confirmed:\n";
    for (const std::string& s : a.unconfirmed) std::cout << "  " << TerminalText::Escape(s) << "\n";
    return DeviceSession::EXIT_OK;
}

// Makes mode follow each of the layout's applications.
int Follow(const ModeLayout& layout, int mode) {
    const std::string path = AppModeRules::DefaultPath();
    std::string error;
    if (!layout.AddRules(path, mode, error)) {
        CliMessages::Fail(error);
        return DeviceSession::EXIT_FAILED;
    }
    std::cout << "Mode " << mode << " now follows " << TerminalText::Escape(Joined(layout.about.applications))
              << " (app-mode rules in " << TerminalText::Escape(path) << ")\n";
    return DeviceSession::EXIT_OK;
}

int Apply(const CliOptions& options, const std::string& name, int mode, bool follow) {
    // The whole file is checked before the device is touched.
    const std::optional<ModeLayout> layout = LoadChecked(options, name, " was not applied; nothing on the device was changed:");
    if (!layout) return DeviceSession::EXIT_FAILED;
    if (follow && layout->about.applications.empty()) {
        CliMessages::Fail("the layout names no application to follow; nothing on the device was changed");
        return DeviceSession::EXIT_FAILED;
    }
    const int code = DeviceCommands::WithDevice(options, [&](DeviceSession& s) {
        SettingsJson::Plan plan;
        std::string error;
        if (!layout->PlanFor(s.Dm(), mode - 1, plan, error)) {
            CliMessages::Fail(error);
            return DeviceSession::EXIT_FAILED;
        }
        std::string question = "Put the layout \"" + layout->about.name + "\" into mode " + std::to_string(mode);
        if (!plan.scripts.empty()) question += " with " + std::to_string(plan.scripts.size()) + " scripts";
        question += "? What mode " + std::to_string(mode) + " does now is replaced.";
        const int written = SettingsJsonCommands::WritePlan(s, options, plan, question, "layout");
        if (written != DeviceSession::EXIT_OK) return written;
        std::cout << "Layout " << TerminalText::Quote(layout->about.name) << " written to mode " << mode;
        for (size_t i = 0; i < plan.scripts.size(); ++i) {
            std::cout << (i > 0 ? ", " : plan.scripts.size() == 1 ? ", its script in slot " : ", its scripts in slots ")
                      << plan.scripts[i].number;
        }
        std::cout << "\n";
        return DeviceSession::EXIT_OK;
    });
    return code == DeviceSession::EXIT_OK && follow ? Follow(*layout, mode) : code;
}

struct SaveArgs {
    std::string file;
    int mode = 1;
    ModeLayout::About about;
};

int Save(const CliOptions& options, const SaveArgs& args) {
    return DeviceCommands::WithDevice(options, [&](DeviceSession& s) {
        DataManager& dm = s.Dm();
        std::vector<int> sectors;
        for (const int n : ModeLayout::ScriptsOf(dm, args.mode - 1)) sectors.push_back(FlashControl::ScriptSector(n - 1));
        if (!SettingsJsonCommands::ReadSectors(s, sectors)) return DeviceSession::EXIT_FAILED;
        LayoutLibrary::Saved saved;
        std::string error;
        const bool written = Library(options).Save(dm, args.mode - 1, args.about, args.file, saved, error);
        for (const std::string& w : saved.warnings) std::cerr << "warning: " << TerminalText::Escape(w) << "\n";
        if (!written) {
            CliMessages::Fail(error);
            return DeviceSession::EXIT_FAILED;
        }
        std::cout << "Mode " << args.mode << " saved as a layout with " << saved.scripts
                  << (saved.scripts == 1 ? " script" : " scripts") << " in " << TerminalText::Escape(saved.path) << "\n";
        return DeviceSession::EXIT_OK;
    });
}

}  // namespace

void LayoutCommands::Register(CLI::App& app, CliOptions& options) {
    auto* layout = app.add_subcommand("layout", "Ready layouts of one mode for drawing and photo applications, and your own");
    layout->require_subcommand(1);

    layout->add_subcommand("list", "List the installed layouts and yours")->callback([&options] {
        options.exitCode = List(options);
    });

    auto showName = std::make_shared<std::string>();
    auto* show = layout->add_subcommand("show", "Show what a layout puts on each key and dial function");
    show->add_option("NAME", *showName, "A layout of the list, or a layout file")->required();
    show->callback([&options, showName] { options.exitCode = Show(options, *showName); });

    struct ApplyArgs {
        std::string name;
        int mode = 1;
        bool follow = false;
    };
    auto applyArgs = std::make_shared<ApplyArgs>();
    auto* apply = layout->add_subcommand("apply", "Put a layout into one mode of the device (asks first)");
    apply->add_option("NAME", applyArgs->name, "A layout of the list, or a layout file")->required();
    apply->add_option("--mode", applyArgs->mode, "The mode to replace, 1 to 3")->required()->check(CLI::Range(1, AppModeRules::MODE_COUNT));
    apply->add_flag("--follow", applyArgs->follow, "Also make that mode follow the layout's application (app-mode rules)");
    apply->callback([&options, applyArgs] { options.exitCode = Apply(options, applyArgs->name, applyArgs->mode, applyArgs->follow); });

    auto saveArgs = std::make_shared<SaveArgs>();
    auto* save = layout->add_subcommand("save", "Save one mode of the device as a layout file, with the scripts it plays");
    save->add_option("FILE", saveArgs->file, "A name (saved among your layouts) or a file path (.json)")->required();
    save->add_option("--mode", saveArgs->mode, "The mode to save, 1 to 3")->required()->check(CLI::Range(1, AppModeRules::MODE_COUNT));
    save->add_option("--name", saveArgs->about.name, "The layout's name (default: the file name)");
    save->add_option("--application", saveArgs->about.application, "The application it is for, in words");
    save->add_option("--app", saveArgs->about.applications, "A window name (app id, WM_CLASS) of that application; repeatable")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(CLI::Validator(
            [](std::string& app) {
                return AppModeRules().Set(app, 1) ? std::string() : "\"" + app + "\" cannot name an application";
            },
            "APP"));
    save->add_option("--description", saveArgs->about.description, "What the layout is for");
    save->callback([&options, saveArgs] { options.exitCode = Save(options, *saveArgs); });
}

}  // namespace kelvadeck
