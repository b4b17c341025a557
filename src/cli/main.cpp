// kelvadeck-cli: the configurator from a terminal.
#include <CLI/CLI.hpp>

#include "cli/CliOptions.h"
#include "cli/DeviceCommands.h"
#include "cli/DumpCommand.h"
#include "cli/MacroCommands.h"
#include "cli/SettingsJsonCommands.h"

int main(int argc, char** argv) {
    CLI::App app{"Kelvadeck configurator command line"};
    app.require_subcommand(1);
    kelvadeck::CliOptions options;
    options.AddTo(app);

    kelvadeck::DumpCommand::Register(app, options);
    kelvadeck::MacroCommands::Register(app, options);
    kelvadeck::DeviceCommands::Register(app, options);
    kelvadeck::SettingsJsonCommands::Register(app, options);

    CLI11_PARSE(app, argc, argv);
    return options.exitCode;
}
