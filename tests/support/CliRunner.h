#pragma once

#include <string>
#include <vector>

namespace kelvadeck::testsupport {

struct CliRun {
    int code = 0;
    std::string out;
    std::string err;
};

// Parses and runs one kelvadeck-cli command line in-process, as main() does,
// with `input` as standard input; returns the exit status and both outputs.
CliRun RunCli(const std::vector<std::string>& args, const std::string& input = "");

}  // namespace kelvadeck::testsupport
