#include "cli/CliProgram.h"

#include "cli/CliOptions.h"
#include "cli/DeviceCommands.h"
#include "cli/DumpCommand.h"
#include "cli/MacroCommands.h"
#include "cli/SettingsJsonCommands.h"

namespace kelvadeck {

void CliProgram::Register(CLI::App& app, CliOptions& options) {
    app.require_subcommand(1);
    options.AddTo(app);
    DumpCommand::Register(app, options);
    // The device commands add show/export/import to the macro command.
    MacroCommands::Register(app, options);
    DeviceCommands::Register(app, options);
    SettingsJsonCommands::Register(app, options);
}

}  // namespace kelvadeck
