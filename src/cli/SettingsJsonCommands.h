#pragma once

#include <CLI/CLI.hpp>
#include <string>

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
};

}  // namespace kelvadeck
