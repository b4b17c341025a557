#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>
#include <vector>

namespace kelvadeck {

struct CliOptions;

// Every command of kelvadeck-cli on one CLI11 app: used by main() and by the
// tests that run command lines in-process.
class CliProgram {
public:
    // Exit statuses, as --help and the README list them.
    static constexpr int EXIT_OK = 0;
    static constexpr int EXIT_FAILED = 1;     // a job failed or was aborted; a file that cannot be read or written
    static constexpr int EXIT_USAGE = 2;      // the command line itself is wrong
    static constexpr int EXIT_CANCELLED = 3;  // the user did not confirm
    static constexpr int EXIT_NO_DEVICE = 4;  // no Kelvadeck found, several and none chosen, or it cannot be opened

    static void Register(CLI::App& app, CliOptions& options);
    // Parses the words (the program's name first) and runs the command.
    // Help and --version go to out (status 0); a usage error is one line on
    // err and status EXIT_USAGE; otherwise the command's status.
    static int Run(CLI::App& app, CliOptions& options, const std::vector<std::string>& words, std::ostream& out,
                   std::ostream& err);
};

}  // namespace kelvadeck
