// kelvadeck-cli: the configurator from a terminal.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <string>

#include "cli/CliOptions.h"
#include "cli/CliProgram.h"
#include "core/ResourceDir.h"

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
    // The preset files, found as the desktop application finds them.
#ifdef KELVADECK_BUILD_RESOURCE_DIR
    const std::string buildDir = KELVADECK_BUILD_RESOURCE_DIR;
#else
    const std::string buildDir;
#endif
    options.resourceDir = kelvadeck::ResourceDir::Find(kelvadeck::ResourceDir::ProgramDir(argv[0]), buildDir);
    kelvadeck::CliProgram::Register(app, options);
    CLI11_PARSE(app, argc, argv);
    return options.exitCode;
}
