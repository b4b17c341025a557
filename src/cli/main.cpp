// kelvadeck-cli: the configurator from a terminal.
#include <CLI/CLI.hpp>

#include "cli/CliOptions.h"
#include "cli/CliProgram.h"

int main(int argc, char** argv) {
    CLI::App app{"Kelvadeck configurator command line"};
    kelvadeck::CliOptions options;
    kelvadeck::CliProgram::Register(app, options);
    CLI11_PARSE(app, argc, argv);
    return options.exitCode;
}
