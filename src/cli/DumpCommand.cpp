#include "cli/DumpCommand.h"

#include <filesystem>
#include <iostream>

#include "core/DataManager.h"
#include "cli/CliMessages.h"
#include "cli/CliOptions.h"
#include "cli/DeviceCommands.h"
#include "cli/ModelPrinter.h"

namespace kelvadeck {

std::string DumpCommand::LoadImage(DataManager& dm, const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return "cannot read " + path + ": " + ec.message();
    if (size != FlashControl::FM_TOTAL_SIZE) {
        return path + " is not a Kelvadeck backup: it has " + std::to_string(size) + " bytes, a backup has exactly " +
               std::to_string(FlashControl::FM_TOTAL_SIZE);
    }
    dm.ResetMember(true);
    if (!dm.ReadFile(path, dm.WholeImage(), FlashControl::FM_TOTAL_SIZE)) return "cannot read " + path;
    if (!dm.RenewMemBuf()) return "cannot decode " + path;
    for (int sector = 2; sector < static_cast<int>(FlashControl::FM_SECTOR_NUM); ++sector) dm.SetScriptDataFromFlashSector(sector);
    return {};
}

void DumpCommand::Print(const DataManager& dm, bool json) {
    if (json) {
        // Texts from the device need not be valid UTF-8: replace rather than fail.
        std::cout << ModelPrinter::ToJson(dm).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
    } else {
        std::cout << ModelPrinter::ToText(dm);
    }
}

void DumpCommand::Register(CLI::App& app, CliOptions& options) {
    auto* cmd = app.add_subcommand("dump", "Print the whole settings model");
    // CLI11 keeps the value with the option, which lives as long as the app.
    CLI::Option* image = cmd->add_option("--image", "Decode a backup file (.mbf) instead of reading the device");
    cmd->callback([&options, image] {
        if (image->count() == 0) {
            options.exitCode = DeviceCommands::DumpFromDevice(options);
            return;
        }
        DataManager::Options dmOptions;
        dmOptions.language = options.language;
        dmOptions.resourceDir = options.resourceDir;
        DataManager dm(std::move(dmOptions));
        const std::string error = LoadImage(dm, image->as<std::string>());
        if (!error.empty()) {
            CliMessages::Fail(error);
            options.exitCode = 1;
            return;
        }
        Print(dm, options.json);
    });
}

}  // namespace kelvadeck
