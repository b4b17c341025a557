#include "cli/CliProgram.h"

#include <ostream>

#include "cli/AppModeCommands.h"
#include "cli/CliOptions.h"
#include "cli/DeviceCommands.h"
#include "cli/DumpCommand.h"
#include "cli/LayoutCommands.h"
#include "cli/MacroCommands.h"
#include "cli/SettingsJsonCommands.h"

namespace kelvadeck {

void CliProgram::Register(CLI::App& app, CliOptions& options) {
    app.name("kelvadeck-cli");
    app.description("Kelvadeck configurator command line");
    app.set_version_flag("--version", std::string("kelvadeck-cli ") + KELVADECK_VERSION);
    app.footer(
        "Exit status: 0 success, 1 failure (a job that failed, a file that cannot be read or written), 2 usage error,\n"
        "3 cancelled (a question answered no), 4 no Kelvadeck found, several and none chosen with --device, or it "
        "cannot be opened.\n");
    // At most one command; that there is one is checked after the parse, so
    // that a mistyped option is named first.
    app.require_subcommand(0, 1);
    options.AddTo(app);
    DumpCommand::Register(app, options);
    // The device commands add show/export/import to the macro command.
    MacroCommands::Register(app, options);
    DeviceCommands::Register(app, options);
    SettingsJsonCommands::Register(app, options);
    AppModeCommands::Register(app, options);
    LayoutCommands::Register(app, options);
}

int CliProgram::Run(CLI::App& app, CliOptions& options, const std::vector<std::string>& words, std::ostream& out,
                    std::ostream& err) {
    std::vector<const char*> argv;
    argv.reserve(words.size());
    for (const std::string& w : words) argv.push_back(w.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
        if (app.get_subcommands().empty()) throw CLI::RequiredError("A command");
        return options.exitCode;
    } catch (const CLI::CallForHelp&) {
        out << app.help();
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << "\n";
    } catch (const CLI::ParseError& e) {
        // One line, as every failure of the program; --help tells the rest.
        std::string message = e.what();
        for (char& c : message) {
            if (c == '\n') c = ' ';
        }
        err << "kelvadeck-cli: " << message << " (see kelvadeck-cli --help)\n";
        return EXIT_USAGE;
    }
    return EXIT_OK;
}

}  // namespace kelvadeck
