#include "support/CliRunner.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <sstream>

#include "cli/CliOptions.h"
#include "cli/CliProgram.h"

namespace kelvadeck::testsupport {

CliRun RunCli(const std::vector<std::string>& args, const std::string& input) {
    CLI::App app;
    CliOptions options;
    CliProgram::Register(app, options);

    std::vector<std::string> words = {"kelvadeck-cli"};
    words.insert(words.end(), args.begin(), args.end());

    std::ostringstream out, err;
    std::istringstream in(input);
    auto* oldOut = std::cout.rdbuf(out.rdbuf());
    auto* oldErr = std::cerr.rdbuf(err.rdbuf());
    auto* oldIn = std::cin.rdbuf(in.rdbuf());
    CliRun run;
    // Standard output and error are both redirected above, so the commands'
    // own output and Run's help or usage line land alike.
    run.code = CliProgram::Run(app, options, words, std::cout, std::cerr);
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    std::cin.rdbuf(oldIn);
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::string BuiltCliPath() {
#ifdef KELVADECK_CLI_PATH
    return KELVADECK_CLI_PATH;
#else
    return {};
#endif
}

}  // namespace kelvadeck::testsupport
