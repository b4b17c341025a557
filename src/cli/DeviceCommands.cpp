#include "cli/DeviceCommands.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "core/DataManager.h"
#include "cli/CliMessages.h"
#include "cli/CliOptions.h"
#include "cli/DeviceSession.h"
#include "cli/DumpCommand.h"
#include "cli/MacroCommands.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalText.h"
#include "core/BackupRestoreJob.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "keys/KeyCode.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "macro/MacroCreator.h"
#include "macro/MacroScriptFile.h"
#include "macro/MacroScriptText.h"
#include "model/StringTable.h"
#include "model/TextConvert.h"

namespace kelvadeck {

namespace {

using json = nlohmann::ordered_json;
using FC = FlashControl;

// Longest name that reads back unchanged: a length byte of 254 or more means no name.
constexpr size_t kScriptNameMaxUnits = (FC::FM_SCRIPT_INFO_DATA_NAME_SIZE - 1) / 2;

void PrintJson(const json& j) { std::cout << j.dump(2, ' ', false, json::error_handler_t::replace) << "\n"; }

// Runs one of the three whole-flash jobs with a progress bar and reports it.
int RunFlashJob(DeviceSession& session, BackupRestoreJob& job, const std::string& label, const std::string& done) {
    TerminalProgress bar(std::cerr, ::isatty(STDERR_FILENO) != 0, label);
    job.SetProgressCallback([&bar](int32_t count, int32_t max) { bar.Update(count, max); });
    session.RunJob();
    bar.Finish();
    const BackupRestoreJob::Finish f = job.FinishJob();
    if (f.outcome != BackupRestoreJob::Outcome::Ok) {
        CliMessages::Fail(f.message);
        return f.result.eReason == ComResult::AbortReason::DeviceGone ? DeviceSession::EXIT_NO_DEVICE
                                                                       : DeviceSession::EXIT_FAILED;
    }
    std::cout << done << "\n";
    return DeviceSession::EXIT_OK;
}

int Info(DeviceSession& s, const CliOptions& options) {
    DataManager& dm = s.Dm();
    USBHidManager& hid = s.Hid();
    const std::string firmware = dm.g_pSSI.strFirmwareVer.value_or("");
    const auto& iface = hid.SelectedInterface();
    if (options.json) {
        json j;
        j["connected"] = hid.bConnected();
        j["emulated"] = options.UseEmulator();
        j["firmware"] = firmware;
        j["vendorId"] = hid.GetIntProperty("VendorID");
        j["productId"] = hid.GetIntProperty("ProductID");
        j["usagePage"] = hid.GetIntProperty("DeviceUsagePage");
        j["path"] = iface ? iface->path : "";
        PrintJson(j);
    } else {
        char ids[64];
        std::snprintf(ids, sizeof ids, "%04X:%04X, usage page 0x%04X", static_cast<unsigned>(hid.GetIntProperty("VendorID")),
                      static_cast<unsigned>(hid.GetIntProperty("ProductID")),
                      static_cast<unsigned>(hid.GetIntProperty("DeviceUsagePage")));
        std::cout << "Kelvadeck: connected" << (options.UseEmulator() ? " (emulated)" : "") << "\n"
                  << "Firmware: " << TerminalText::Escape(firmware) << "\n"
                  << "Device: " << ids << "\n"
                  << "Path: " << TerminalText::Escape(iface ? iface->path : "") << "\n";
    }
    return DeviceSession::EXIT_OK;
}

int Backup(DeviceSession& s, const std::string& path) {
    BackupRestoreJob job(s.Dm(), s.Dm().Log());
    if (!job.StartBackup(path)) {
        CliMessages::Fail(job.LastError());
        return DeviceSession::EXIT_FAILED;
    }
    return RunFlashJob(s, job, "backup", "Backed up " + std::to_string(FC::FM_TOTAL_SIZE) + " bytes to " + path);
}

int Restore(DeviceSession& s, const CliOptions& options, const std::string& path) {
    BackupRestoreJob job(s.Dm(), s.Dm().Log());
    if (!CliMessages::Confirm(options, "Write " + path + " into the Kelvadeck? Every setting and script on it is replaced.")) {
        CliMessages::Fail("restore cancelled; the device is unchanged");
        return DeviceSession::EXIT_CANCELLED;
    }
    if (!job.StartRestore(path)) {
        CliMessages::Fail(job.LastError());
        return DeviceSession::EXIT_FAILED;
    }
    return RunFlashJob(s, job, "restore", "Restored " + path + " to the device");
}

int Reset(DeviceSession& s, const CliOptions& options) {
    if (!CliMessages::Confirm(options, "Erase the Kelvadeck to its factory state? Every setting and script on it is lost.")) {
        CliMessages::Fail("reset cancelled; the device is unchanged");
        return DeviceSession::EXIT_CANCELLED;
    }
    BackupRestoreJob job(s.Dm(), s.Dm().Log());
    if (!job.StartFormat()) {
        CliMessages::Fail(job.LastError());
        return DeviceSession::EXIT_FAILED;
    }
    return RunFlashJob(s, job, "reset", "The device was reset to its factory state");
}

int Led(DeviceSession& s, int red, int green, int blue, int brightness) {
    s.Dm().pComQue().SetLedPreview(static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue),
                                   static_cast<uint8_t>(brightness));
    const ComResult r = s.StartAndRun();
    if (!r.Succeeded() || r.nPreviewsRefused > 0) {
        CliMessages::Fail(r.Succeeded() ? "the device refused the LED preview" : "the LED preview failed: " + r.Describe());
        return DeviceSession::EXIT_FAILED;
    }
    std::cout << "LED preview: red " << red << ", green " << green << ", blue " << blue << ", brightness " << brightness
              << " for " << Constants::LED_PREVIEW_TIME / 1000 << " s\n";
    return DeviceSession::EXIT_OK;
}

// Reads data sector `sector` (its stored scripts). False with a message when
// the reads failed: the sector is then not marked read and must not be used.
bool ReadScriptSector(DeviceSession& s, int sector) {
    DataManager& dm = s.Dm();
    if (dm.pComQue().SetReadScriptDataComQue(sector)) {
        const ComResult r = s.StartAndRun();
        if (!r.Succeeded() || !dm.SectorReadFlag(sector)) {
            CliMessages::Fail("reading script sector " + std::to_string(sector) + " failed: " + r.Describe());
            return false;
        }
    }
    dm.SetScriptDataFromFlashSector(sector);
    return true;
}

// The slot of script scriptNo with its sector read from the device; null
// (after a message) when the read failed.
const ScriptElem* ReadScript(DeviceSession& s, int scriptNo) {
    DataManager& dm = s.Dm();
    if (scriptNo < 1 || static_cast<size_t>(scriptNo) > dm.g_arSCE.size()) {
        CliMessages::Fail("no script slot " + std::to_string(scriptNo));
        return nullptr;
    }
    if (!ReadScriptSector(s, FC::ScriptSector(scriptNo - 1))) return nullptr;
    return &dm.g_arSCE[static_cast<size_t>(scriptNo - 1)];
}

int MacroShow(DeviceSession& s, const CliOptions& options, int scriptNo) {
    const ScriptElem* e = ReadScript(s, scriptNo);
    if (e == nullptr) return DeviceSession::EXIT_FAILED;
    const StringTable& strings = s.Dm().Strings();
    const auto& steps = e->idMacroCreator.arCurrentMacroScript;
    const std::string name = e->strScriptName ? TextConvert::Utf16ToUtf8(*e->strScriptName) : "";
    const bool complete = !e->pbRawData || MacroCreator::EncodedSize(steps) == e->pbRawData->size();
    if (options.json) {
        json steps_ = json::array();
        for (const MacroDataScript& step : steps) steps_.push_back(MacroCommands::StepJson(step, strings));
        PrintJson(json{{"script", scriptNo},
                       {"stored", e->IsStored()},
                       {"name", e->strScriptName ? json(name) : json(nullptr)},
                       {"mode", e->IsStored() ? json(e->bScriptMode) : json(nullptr)},
                       {"size", e->dwSaveSize},
                       {"complete", complete},
                       {"steps", steps_}});
        return DeviceSession::EXIT_OK;
    }
    if (!e->IsStored()) {
        std::cout << "# script " << scriptNo << ": empty\n";
        return DeviceSession::EXIT_OK;
    }
    // A comment first, so that the listing still reads back with `macro encode`;
    // the name is quoted and escaped, so it stays inside the comment.
    std::cout << "# script " << scriptNo << (e->strScriptName ? " " + TerminalText::Quote(name) : "") << ", "
              << e->dwSaveSize << " bytes\n"
              << MacroScriptText::Format(steps, e->bScriptMode, strings);
    if (!complete) {
        CliMessages::Fail("script " + std::to_string(scriptNo) + " holds bytes that are no steps; the listing stops there");
        return DeviceSession::EXIT_FAILED;
    }
    return DeviceSession::EXIT_OK;
}

int MacroExport(DeviceSession& s, int scriptNo, const std::string& path) {
    const ScriptElem* e = ReadScript(s, scriptNo);
    if (e == nullptr) return DeviceSession::EXIT_FAILED;
    if (!e->IsStored() || !e->pbRawData) {
        CliMessages::Fail("script " + std::to_string(scriptNo) + " is empty; nothing was written");
        return DeviceSession::EXIT_FAILED;
    }
    // The bytes as stored on the device, not re-encoded.
    const auto bytes = MacroScriptFile::BuildBytes(e->bScriptMode, *e->pbRawData);
    if (!bytes) {
        CliMessages::Fail("script " + std::to_string(scriptNo) + " cannot be put in a macro script file (mode or size out of range)");
        return DeviceSession::EXIT_FAILED;
    }
    std::string error;
    if (!MacroScriptFile::WriteFile(path, *bytes, error)) {
        CliMessages::Fail("cannot write " + path + ": " + error);
        return DeviceSession::EXIT_FAILED;
    }
    std::cout << "Script " << scriptNo << " (" << e->pbRawData->size() << " bytes) written to " << path << "\n";
    return DeviceSession::EXIT_OK;
}

struct ImportArgs {
    std::string path;
    int scriptNo = 0;
    std::string name;
    CLI::Option* nameOption = nullptr;
    std::string mode;
    CLI::Option* modeOption = nullptr;
};

int MacroImport(DeviceSession& s, const CliOptions& options, const ImportArgs& args,
                const MacroScriptFile::Imported& imported, uint8_t mode) {
    DataManager& dm = s.Dm();
    const ScriptElem* before = ReadScript(s, args.scriptNo);
    if (before == nullptr) return DeviceSession::EXIT_FAILED;
    if (!CliMessages::Confirm(options, "Write " + args.path + " into script " + std::to_string(args.scriptNo) + " of the Kelvadeck" +
                              (before->IsStored() ? ", replacing the script stored there?" : "?"))) {
        CliMessages::Fail("import cancelled; the device is unchanged");
        return DeviceSession::EXIT_CANCELLED;
    }
    MacroCreator macro;
    macro.bScriptMode = mode;
    macro.pbRawData = imported.script;
    macro.dwTotalSize = imported.script.size();
    macro.arCurrentMacroScript = imported.steps;
    if (!dm.RenewMacroScriptInfo(args.scriptNo, macro)) {
        CliMessages::Fail("script " + std::to_string(args.scriptNo) + " cannot be stored: the other scripts of its sector are not all readable");
        return DeviceSession::EXIT_FAILED;
    }
    ScriptElem& slot = dm.g_arSCE[static_cast<size_t>(args.scriptNo - 1)];
    slot.bScriptMode = mode;
    slot.idMacroCreator = macro;
    if (args.nameOption && args.nameOption->count() > 0) slot.strScriptName = TextConvert::Utf8ToUtf16(args.name);
    if (!dm.DataOutputToMemory()) {
        CliMessages::Fail("the settings could not be encoded");
        return DeviceSession::EXIT_FAILED;
    }
    ComQue& que = dm.pComQue();
    que.CreateFastWriteComQue();
    que.CreateProfileSettingInfoComQue();
    que.CreateScriptInfoComQue();
    que.CreateWriteScriptComQue(args.scriptNo);
    const ComResult r = s.StartAndRun();
    if (!r.Succeeded()) {
        CliMessages::Fail("writing script " + std::to_string(args.scriptNo) + " failed: " + r.Describe());
        return r.eReason == ComResult::AbortReason::DeviceGone ? DeviceSession::EXIT_NO_DEVICE : DeviceSession::EXIT_FAILED;
    }
    std::cout << "Script " << args.scriptNo << " written: " << imported.script.size() << " bytes, " << imported.steps.size()
              << " steps, mode " << (MacroScriptText::ModeName(mode) ? MacroScriptText::ModeName(mode) : "?") << "\n";
    return DeviceSession::EXIT_OK;
}

}  // namespace

int DeviceCommands::WithDevice(const CliOptions& options, const std::function<int(DeviceSession&)>& body) {
    DeviceSession session(options);
    int code = DeviceSession::EXIT_OK;
    if (!session.Open()) {
        CliMessages::Fail(session.Error());
        code = session.ExitCode();
    } else {
        code = body(session);
    }
    if (!session.Close()) {
        CliMessages::Fail(session.Error());
        if (code == DeviceSession::EXIT_OK) code = session.ExitCode();
    }
    return code;
}

int DeviceCommands::DumpFromDevice(const CliOptions& options) {
    return WithDevice(options, [&options](DeviceSession& s) {
        DataManager& dm = s.Dm();
        // Every stored script body, as a dump of a backup file shows them.
        bool queued = false;
        for (int sector = 2; sector < static_cast<int>(FC::FM_SECTOR_NUM); ++sector) {
            queued = dm.pComQue().SetReadScriptDataComQue(sector) || queued;
        }
        if (queued) {
            const ComResult r = s.StartAndRun();
            if (!r.Succeeded()) {
                CliMessages::Fail("reading the scripts failed: " + r.Describe());
                return DeviceSession::EXIT_FAILED;
            }
        }
        for (int sector = 2; sector < static_cast<int>(FC::FM_SECTOR_NUM); ++sector) {
            if (dm.SectorReadFlag(sector)) dm.SetScriptDataFromFlashSector(sector);
        }
        DumpCommand::Print(dm, options.json);
        return DeviceSession::EXIT_OK;
    });
}

int List(const CliOptions& options) {
    DeviceSession session(options);
    if (!session.Attach()) {
        CliMessages::Fail(session.Error());
        return session.ExitCode();
    }
    const std::vector<DeviceSession::Listing> devices = session.List();
    if (options.json) {
        json list = json::array();
        for (const DeviceSession::Listing& d : devices) {
            json j{{"path", d.path}, {"serialNumber", d.serialNumber}, {"firmware", d.firmwareVersion}};
            if (!d.error.empty()) j["error"] = d.error;
            list.push_back(j);
        }
        PrintJson(list);
    } else {
        for (const DeviceSession::Listing& d : devices) {
            std::cout << TerminalText::Escape(d.path) << "\tserial " << TerminalText::Escape(d.serialNumber.empty() ? "-" : d.serialNumber)
                      << "\tfirmware " << TerminalText::Escape(d.firmwareVersion.empty() ? "?" : d.firmwareVersion) << "\n";
            if (!d.error.empty()) CliMessages::Fail(d.path + ": " + d.error);
        }
    }
    if (!session.Close()) CliMessages::Fail(session.Error());
    if (devices.empty()) {
        CliMessages::Fail("no Kelvadeck found (USB 22EA:004B); check that it is plugged in");
        return DeviceSession::EXIT_NO_DEVICE;
    }
    return DeviceSession::EXIT_OK;
}

void DeviceCommands::Register(CLI::App& app, CliOptions& options) {
    auto* list = app.add_subcommand("list", "List every attached Kelvadeck: path, serial number, firmware version");
    list->callback([&options] { options.exitCode = List(options); });

    auto* info = app.add_subcommand("info", "Show the connection and the firmware version");
    info->callback([&options] { options.exitCode = WithDevice(options, [&](DeviceSession& s) { return Info(s, options); }); });

    auto backupPath = std::make_shared<std::string>();
    auto* backup = app.add_subcommand("backup", "Copy the whole flash of the device into a backup file (.mbf)");
    backup->add_option("FILE", *backupPath, "Backup file to write")->required();
    backup->callback([&options, backupPath] {
        options.exitCode = WithDevice(options, [&](DeviceSession& s) { return Backup(s, *backupPath); });
    });

    auto restorePath = std::make_shared<std::string>();
    auto* restore = app.add_subcommand("restore", "Write a backup file (.mbf) into the device (asks first)");
    restore->add_option("FILE", *restorePath, "Backup file to restore")->required();
    restore->callback([&options, restorePath] {
        // A file that cannot be a backup is refused before anything is asked or touched.
        std::error_code ec;
        const auto size = std::filesystem::file_size(*restorePath, ec);
        if (ec || size < FC::FM_TOTAL_SIZE) {
            CliMessages::Fail("cannot restore " + *restorePath + ": " +
                 (ec ? ec.message() : "a backup file holds " + std::to_string(FC::FM_TOTAL_SIZE) + " bytes, it has " +
                                          std::to_string(size)));
            options.exitCode = DeviceSession::EXIT_FAILED;
            return;
        }
        options.exitCode = WithDevice(options, [&](DeviceSession& s) { return Restore(s, options, *restorePath); });
    });

    auto* reset = app.add_subcommand("reset", "Erase the device to its factory state (asks first)");
    reset->callback([&options] { options.exitCode = WithDevice(options, [&](DeviceSession& s) { return Reset(s, options); }); });

    struct LedArgs {
        int red = 0, green = 0, blue = 0, brightness = Constants::LED_BRIGHTNESS_LEVEL_NORMAL;
    };
    auto led = std::make_shared<LedArgs>();
    auto* ledCmd = app.add_subcommand("led", "Light the LED in a colour for a while (preview; nothing is stored)");
    ledCmd->add_option("R", led->red, "Red duty, 0 to 100")->required()->check(CLI::Range(0, Constants::LED_R_DUTY_MAX));
    ledCmd->add_option("G", led->green, "Green duty, 0 to 100")->required()->check(CLI::Range(0, Constants::LED_G_DUTY_MAX));
    ledCmd->add_option("B", led->blue, "Blue duty, 0 to 100")->required()->check(CLI::Range(0, Constants::LED_B_DUTY_MAX));
    ledCmd->add_option("BRIGHTNESS", led->brightness, "Brightness level: 0 normal, 1 dark, 2 light")
        ->check(CLI::Range(0, Constants::LED_BRIGHTNESS_LEVEL_SET_NUM - 1));
    ledCmd->callback([&options, led] {
        options.exitCode =
            WithDevice(options, [&](DeviceSession& s) { return Led(s, led->red, led->green, led->blue, led->brightness); });
    });

    // Beside `macro decode` and `macro encode` when those are registered.
    CLI::App* macro = nullptr;
    for (CLI::App* sub : app.get_subcommands([](CLI::App* a) { return a->get_name() == "macro"; })) macro = sub;
    if (macro == nullptr) {
        macro = app.add_subcommand("macro", "Macro scripts");
        macro->require_subcommand(1);
    }
    auto showNo = std::make_shared<int>(0);
    auto* show = macro->add_subcommand("show", "Read a script from the device and list its steps as macro decode does");
    show->add_option("N", *showNo, "Script number (1 to 200)")->required()->check(CLI::Range(1, int{Constants::SCRIPT_NUM}));
    show->callback([&options, showNo] {
        options.exitCode = WithDevice(options, [&](DeviceSession& s) { return MacroShow(s, options, *showNo); });
    });

    struct ExportArgs {
        int scriptNo = 0;
        std::string path;
    };
    auto exportArgs = std::make_shared<ExportArgs>();
    auto* exp = macro->add_subcommand("export", "Read a script from the device into a macro script file (.mcdf)");
    exp->add_option("N", exportArgs->scriptNo, "Script number (1 to 200)")->required()->check(CLI::Range(1, int{Constants::SCRIPT_NUM}));
    exp->add_option("FILE", exportArgs->path, "Macro script file to write")->required();
    exp->callback([&options, exportArgs] {
        options.exitCode =
            WithDevice(options, [&](DeviceSession& s) { return MacroExport(s, exportArgs->scriptNo, exportArgs->path); });
    });

    auto importArgs = std::make_shared<ImportArgs>();
    auto* imp = macro->add_subcommand("import", "Write a macro script file (.mcdf) into user script N of the device (asks first)");
    imp->add_option("FILE", importArgs->path, "Macro script file to read")->required();
    imp->add_option("N", importArgs->scriptNo, "User script number (1 to 150)")
        ->required()
        ->check(CLI::Range(1, int{Constants::SCRIPT_USER_USE_NUM}));
    importArgs->nameOption = imp->add_option("--name", importArgs->name, "Name of the script on the device");
    importArgs->modeOption = imp->add_option("--mode", importArgs->mode, "Play mode: once, loop, fire or hold (default: the file's)");
    imp->callback([&options, importArgs] {
        // The file and the options are checked before the device is touched.
        KeyCode keys;
        const MacroScriptFile::Imported imported = MacroScriptFile::ImportFile(importArgs->path, keys);
        if (!imported.ok()) {
            CliMessages::Fail(importArgs->path + ": " + MacroScriptFile::ErrorText(imported));
            options.exitCode = DeviceSession::EXIT_FAILED;
            return;
        }
        uint8_t mode = imported.mode;
        if (importArgs->modeOption->count() > 0) {
            const auto parsed = MacroScriptText::ParseMode(importArgs->mode);
            if (!parsed) {
                CliMessages::Fail("unknown mode \"" + importArgs->mode + "\" (once, loop, fire, hold or 0..3)");
                options.exitCode = DeviceSession::EXIT_FAILED;
                return;
            }
            mode = *parsed;
        }
        if (importArgs->nameOption->count() > 0 &&
            TextConvert::Utf8ToUtf16(importArgs->name).size() > kScriptNameMaxUnits) {
            CliMessages::Fail("the name is too long: a script name has at most " + std::to_string(kScriptNameMaxUnits) + " characters");
            options.exitCode = DeviceSession::EXIT_FAILED;
            return;
        }
        options.exitCode = WithDevice(options, [&](DeviceSession& s) { return MacroImport(s, options, *importArgs, imported, mode); });
    });
}

}  // namespace kelvadeck
