// kelvadeck-cli: the configurator from a terminal.
#include <CLI/CLI.hpp>
#include <cstdlib>

#include "cli/CliOptions.h"
#include "cli/CliProgram.h"

int main(int argc, char** argv) {
    CLI::App app{"Kelvadeck configurator command line"};
    kelvadeck::CliOptions options;
    // The locale's language, by the usual precedence of its variables.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            options.language = value;
            break;
        }
    }
    kelvadeck::CliProgram::Register(app, options);
    CLI11_PARSE(app, argc, argv);
    return options.exitCode;
}
