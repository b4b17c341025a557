// kelvadeck-cli: the configurator from a terminal.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/CliMessages.h"
#include "cli/CliOptions.h"
#include "cli/CliProgram.h"
#include "cli/OutputBuffer.h"
#include "core/HostLanguage.h"
#include "core/ResourceDir.h"

int main(int argc, char** argv) {
    // A command whose output did not arrive (a full disk behind `> FILE`)
    // has not done its work: it ends with the reason and exit status 1.
    kelvadeck::OutputBuffer out(STDOUT_FILENO);
    std::streambuf* const console = std::cout.rdbuf(&out);

    CLI::App app;
    kelvadeck::CliOptions options;
    // The language of the names shown, as the desktop application takes it.
    options.language = kelvadeck::HostLanguage::FromEnvironment();
    // The preset files, found as the desktop application finds them.
#ifdef KELVADECK_BUILD_RESOURCE_DIR
    const std::string buildDir = KELVADECK_BUILD_RESOURCE_DIR;
#else
    const std::string buildDir;
#endif
    options.resourceDir = kelvadeck::ResourceDir::Find(kelvadeck::ResourceDir::ProgramDir(argv[0]), buildDir);
    kelvadeck::CliProgram::Register(app, options);
    int code = kelvadeck::CliProgram::Run(app, options, std::vector<std::string>(argv, argv + argc), std::cout, std::cerr);
    std::cout.flush();
    std::cout.rdbuf(console);
    if (out.Failure() != 0) {
        kelvadeck::CliMessages::Fail("cannot write to standard output: " +
                                     std::error_code(out.Failure(), std::generic_category()).message());
        if (code == 0) code = 1;
    }
    return code;
}
