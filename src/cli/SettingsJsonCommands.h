#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "export/SettingsJson.h"

namespace kelvadeck {

struct CliOptions;
class DeviceSession;

// `export-json FILE.json` and `import-json FILE.json`: the device's settings
// and scripts as a readable document (docs/settings-json.md), against the
// device or, with --emulator, the emulated one.
class SettingsJsonCommands {
public:
    static void Register(CLI::App& app, CliOptions& options);

    // Reads every script and writes the document to path ("-": standard
    // output). The exit status of the device commands.
    static int Export(DeviceSession& session, const std::string& path);
    // Checks the file first (nothing is touched when it is refused), then
    // asks, then writes the settings and the file's scripts.
    static int Import(const CliOptions& options, const std::string& path);

    // Shared with the layout commands:
    // Reads the given data sectors (those not read yet) and decodes their
    // scripts; false after a message.
    static bool ReadSectors(DeviceSession& session, const std::vector<int>& sectors);
    // Reads the sectors the plan rewrites, asks question, puts the plan into
    // the model and writes it as one settings write (with the scripts'
    // sectors). The exit status; what ("import") names the command in a
    // cancellation.
    static int WritePlan(DeviceSession& session, const CliOptions& options, const SettingsJson::Plan& plan,
                         const std::string& question, const std::string& what);
    // refusal as the failure line, then each problem on a line of its own.
    static void PrintProblems(const std::string& refusal, const std::vector<SettingsJson::Problem>& problems);
};

}  // namespace kelvadeck
