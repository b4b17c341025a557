#include "cli/SettingsJsonCommands.h"

#include <iostream>
#include <memory>

#include "core/DataManager.h"
#include "cli/CliMessages.h"
#include "cli/CliOptions.h"
#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "cli/TerminalText.h"
#include "export/SettingsJson.h"
#include "export/SettingsJsonTransfer.h"
#include "keys/KeyCode.h"
#include "model/Constants.h"

namespace kelvadeck {

namespace {

using C = Constants;

int ExitFor(const ComResult& r) {
    return r.eReason == ComResult::AbortReason::DeviceGone ? DeviceSession::EXIT_NO_DEVICE : DeviceSession::EXIT_FAILED;
}

}  // namespace

bool SettingsJsonCommands::ReadSectors(DeviceSession& s, const std::vector<int>& sectors) {
    DataManager& dm = s.Dm();
    if (SettingsJsonTransfer::QueueUnreadSectors(dm, sectors)) {
        const ComResult r = s.StartAndRun();
        if (!r.Succeeded()) {
            CliMessages::Fail("reading the scripts failed: " + r.Describe());
            return false;
        }
    }
    int failed = 0;
    if (!SettingsJsonTransfer::LoadSectors(dm, sectors, failed)) {
        CliMessages::Fail("script sector " + std::to_string(failed) + " could not be read");
        return false;
    }
    return true;
}

int SettingsJsonCommands::WritePlan(DeviceSession& s, const CliOptions& options, const SettingsJson::Plan& plan,
                                    const std::string& question, const std::string& what) {
    DataManager& dm = s.Dm();
    // Every other script of a rewritten sector must be loaded to be kept.
    if (!ReadSectors(s, SettingsJson::ScriptSectors(plan))) return DeviceSession::EXIT_FAILED;
    if (!CliMessages::Confirm(options, question)) {
        CliMessages::Fail(what + " cancelled; the device is unchanged");
        return DeviceSession::EXIT_CANCELLED;
    }
    std::string error;
    if (!SettingsJson::Apply(plan, dm, error)) {
        CliMessages::Fail(error + "; the device is unchanged");
        return DeviceSession::EXIT_FAILED;
    }
    if (!SettingsJsonTransfer::QueueImportWrites(plan, dm)) {
        CliMessages::Fail("the writes could not be prepared; the device is unchanged");
        return DeviceSession::EXIT_FAILED;
    }
    const ComResult r = s.StartAndRun();
    if (!r.Succeeded()) {
        CliMessages::Fail("writing the settings failed: " + r.Describe());
        return ExitFor(r);
    }
    return DeviceSession::EXIT_OK;
}

void SettingsJsonCommands::PrintProblems(const std::string& refusal, const std::vector<SettingsJson::Problem>& problems) {
    CliMessages::Fail(refusal);
    for (const SettingsJson::Problem& p : problems) std::cerr << "  " << TerminalText::Escape(SettingsJson::Describe(p)) << "\n";
}

int SettingsJsonCommands::Export(DeviceSession& s, const std::string& path) {
    if (!ReadSectors(s, SettingsJsonTransfer::AllDataSectors())) return DeviceSession::EXIT_FAILED;
    size_t scripts = 0;
    if (path == "-") {
        std::cout << SettingsJsonTransfer::DocumentText(s.Dm(), scripts);
        return DeviceSession::EXIT_OK;
    }
    std::string error;
    if (!SettingsJsonTransfer::WriteDocument(s.Dm(), path, scripts, error)) {
        CliMessages::Fail(error);
        return DeviceSession::EXIT_FAILED;
    }
    std::cout << "Settings of " << static_cast<int>(C::MODE_NUM) << " modes and " << scripts << " scripts written to " << path << "\n";
    return DeviceSession::EXIT_OK;
}

int SettingsJsonCommands::Import(const CliOptions& options, const std::string& path) {
    // The whole file is checked before the device is touched.
    std::string text;
    std::string error;
    if (!SettingsJsonTransfer::ReadText(path, text, error)) {
        CliMessages::Fail(error);
        return DeviceSession::EXIT_FAILED;
    }
    const KeyCode keys;
    const SettingsJson::Plan plan = SettingsJson::Read(text, keys);
    if (!plan.ok()) {
        PrintProblems(path + " was not applied; nothing on the device was changed:", plan.problems);
        return DeviceSession::EXIT_FAILED;
    }

    return DeviceCommands::WithDevice(options, [&](DeviceSession& s) {
        std::string question = "Write the settings";
        if (!plan.scripts.empty()) question += " and " + std::to_string(plan.scripts.size()) + " scripts";
        question += " of " + path;
        if (plan.firmware) question += " (from firmware " + *plan.firmware + ")";
        question += " into the Kelvadeck? Its settings are replaced.";
        const int code = WritePlan(s, options, plan, question, "import");
        if (code != DeviceSession::EXIT_OK) return code;
        std::cout << "Settings" << (plan.scripts.empty() ? "" : " and " + std::to_string(plan.scripts.size()) + " scripts")
                  << " of " << path << " written to the device\n";
        return DeviceSession::EXIT_OK;
    });
}

void SettingsJsonCommands::Register(CLI::App& app, CliOptions& options) {
    auto exportPath = std::make_shared<std::string>();
    auto* exp = app.add_subcommand("export-json", "Write the device's settings and scripts into a readable JSON file");
    exp->add_option("FILE", *exportPath, "JSON file to write (- for standard output)")->required();
    exp->callback([&options, exportPath] {
        options.exitCode = DeviceCommands::WithDevice(options, [&](DeviceSession& s) { return Export(s, *exportPath); });
    });

    auto importPath = std::make_shared<std::string>();
    auto* imp = app.add_subcommand("import-json", "Write the settings and scripts of a JSON file into the device (asks first)");
    imp->add_option("FILE", *importPath, "JSON file written by export-json")->required();
    imp->callback([&options, importPath] { options.exitCode = Import(options, *importPath); });
}

}  // namespace kelvadeck
