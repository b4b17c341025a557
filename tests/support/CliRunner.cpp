#include "support/CliRunner.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <sstream>

#include "cli/CliOptions.h"
#include "cli/CliProgram.h"

namespace kelvadeck::testsupport {

CliRun RunCli(const std::vector<std::string>& args, const std::string& input) {
    CLI::App app{"kelvadeck-cli"};
    CliOptions options;
    CliProgram::Register(app, options);

    std::vector<std::string> words = {"kelvadeck-cli"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());

    std::ostringstream out, err;
    std::istringstream in(input);
    auto* oldOut = std::cout.rdbuf(out.rdbuf());
    auto* oldErr = std::cerr.rdbuf(err.rdbuf());
    auto* oldIn = std::cin.rdbuf(in.rdbuf());
    CliRun run;
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
        run.code = options.exitCode;
    } catch (const CLI::ParseError& e) {
        run.code = app.exit(e, out, err);
    }
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
