#pragma once

#include <iosfwd>
#include <string>

namespace kelvadeck {

struct CliOptions;

// The lines the commands print on standard error: a failure as one line
// "kelvadeck-cli: ...", and the question asked before a write. Both carry
// text from outside (paths, names, values from a file), which is escaped for
// the terminal (TerminalText).
class CliMessages {
public:
    static void Fail(const std::string& line);
    static void Fail(std::ostream& err, const std::string& line);
    // Asks on the terminal; only an explicit yes goes on. --yes answers for the user.
    static bool Confirm(const CliOptions& options, const std::string& question);
};

}  // namespace kelvadeck
