#include "cli/SettingsJsonCommands.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "app/DataManager.h"
#include "cli/CliOptions.h"
#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "cli/SettingsJson.h"
#include "device/ComQue.h"
#include "keys/KeyCode.h"
#include "model/Constants.h"
#include "model/FlashControl.h"

namespace kelvadeck {

namespace {

using C = Constants;
using FC = FlashControl;

void Fail(const std::string& line) { std::cerr << "kelvadeck-cli: " << line << "\n"; }

bool Confirm(const CliOptions& options, const std::string& question) {
    if (options.yes) return true;
    std::cerr << question << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::cerr << "\n";
        return false;
    }
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES";
}

int ExitFor(const ComResult& r) {
    return r.eReason == ComResult::AbortReason::DeviceGone ? DeviceSession::EXIT_NO_DEVICE : DeviceSession::EXIT_FAILED;
}

// Reads the given data sectors (those not read yet) and decodes their scripts.
bool ReadSectors(DeviceSession& s, const std::vector<int>& sectors) {
    DataManager& dm = s.Dm();
    bool queued = false;
    for (int sector : sectors) {
        if (!dm.SectorReadFlag(sector)) queued = dm.pComQue().SetReadScriptDataComQue(sector) || queued;
    }
    if (queued) {
        const ComResult r = s.StartAndRun();
        if (!r.Succeeded()) {
            Fail("reading the scripts failed: " + r.Describe());
            return false;
        }
    }
    for (int sector : sectors) {
        if (!dm.SectorReadFlag(sector)) {
            Fail("script sector " + std::to_string(sector) + " could not be read");
            return false;
        }
        dm.SetScriptDataFromFlashSector(sector);
    }
    return true;
}

std::vector<int> AllDataSectors() {
    std::vector<int> sectors;
    for (int sector = 2; sector < static_cast<int>(FC::FM_SECTOR_NUM); ++sector) sectors.push_back(sector);
    return sectors;
}

}  // namespace

int SettingsJsonCommands::Export(DeviceSession& s, const std::string& path) {
    if (!ReadSectors(s, AllDataSectors())) return DeviceSession::EXIT_FAILED;
    const nlohmann::ordered_json doc = SettingsJson::Export(s.Dm());
    const std::string text = doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
    size_t scripts = doc["scripts"].size();
    if (path == "-") {
        std::cout << text;
        return DeviceSession::EXIT_OK;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file || !file.write(text.data(), static_cast<std::streamsize>(text.size())) || !file.flush()) {
        Fail("cannot write " + path);
        return DeviceSession::EXIT_FAILED;
    }
    std::cout << "Settings of " << C::MODE_NUM << " modes and " << scripts << " scripts written to " << path << "\n";
    return DeviceSession::EXIT_OK;
}

int SettingsJsonCommands::Import(const CliOptions& options, const std::string& path) {
    // The whole file is checked before the device is touched.
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Fail("cannot read " + path);
        return DeviceSession::EXIT_FAILED;
    }
    std::string text;
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(file.gcount()));
        if (text.size() > SettingsJson::TEXT_LIMIT) break;
    }
    if (file.bad()) {
        Fail("cannot read " + path);
        return DeviceSession::EXIT_FAILED;
    }
    const KeyCode keys;
    const SettingsJson::Plan plan = SettingsJson::Read(text, keys);
    if (!plan.ok()) {
        Fail(path + " was not applied; nothing on the device was changed:");
        for (const SettingsJson::Problem& p : plan.problems) std::cerr << "  " << SettingsJson::Describe(p) << "\n";
        return DeviceSession::EXIT_FAILED;
    }

    return DeviceCommands::WithDevice(options, [&](DeviceSession& s) {
        DataManager& dm = s.Dm();
        // Every other script of a rewritten sector must be loaded to be kept.
        if (!ReadSectors(s, SettingsJson::ScriptSectors(plan))) return DeviceSession::EXIT_FAILED;
        std::string question = "Write the settings";
        if (!plan.scripts.empty()) question += " and " + std::to_string(plan.scripts.size()) + " scripts";
        question += " of " + path;
        if (plan.firmware) question += " (from firmware " + *plan.firmware + ")";
        question += " into the Kelvadeck? Its settings are replaced.";
        if (!Confirm(options, question)) {
            Fail("import cancelled; the device is unchanged");
            return DeviceSession::EXIT_CANCELLED;
        }
        std::string error;
        if (!SettingsJson::Apply(plan, dm, error)) {
            Fail(error + "; the device is unchanged");
            return DeviceSession::EXIT_FAILED;
        }
        ComQue& que = dm.pComQue();
        bool queued = que.CreateFastWriteComQue();
        // Live updates, so the device works with the new settings at once.
        queued = que.CreateBaseSettingInfoComQue() && queued;
        queued = que.CreateProfileSettingInfoComQue() && queued;
        queued = que.CreateFunctionSettingInfoComQue() && queued;
        queued = que.CreateDialMacroInfoComQue() && queued;
        for (int m = 0; m < C::MODE_NUM; ++m) {
            for (int b = 0; b < C::BUTTON_NUM; ++b) queued = que.CreateSwitchFunctionSettingInfoComQue(m, b) && queued;
        }
        if (!plan.scripts.empty()) {
            queued = que.CreateScriptInfoComQue() && queued;
            for (const int sector : SettingsJson::ScriptSectors(plan)) {
                // The sector's first slot stands for the whole sector.
                queued = que.CreateWriteScriptComQue(sector - 1) && queued;
            }
        }
        if (!queued) {
            que.Reset();
            Fail("the writes could not be prepared; the device is unchanged");
            return DeviceSession::EXIT_FAILED;
        }
        const ComResult r = s.StartAndRun();
        if (!r.Succeeded()) {
            Fail("writing the settings failed: " + r.Describe());
            return ExitFor(r);
        }
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
