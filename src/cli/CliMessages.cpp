#include "cli/CliMessages.h"

#include <iostream>

#include "cli/CliOptions.h"
#include "cli/TerminalText.h"

namespace kelvadeck {

void CliMessages::Fail(const std::string& line) { Fail(std::cerr, line); }

void CliMessages::Fail(std::ostream& err, const std::string& line) {
    std::cout.flush();  // what was printed before the failure comes first
    err << "kelvadeck-cli: " << TerminalText::Escape(line) << "\n";
}

bool CliMessages::Confirm(const CliOptions& options, const std::string& question) {
    if (options.yes) return true;
    std::cout.flush();
    std::cerr << TerminalText::Escape(question) << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::cerr << "\n";
        return false;
    }
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES";
}

}  // namespace kelvadeck
