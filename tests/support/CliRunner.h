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

// The built kelvadeck-cli, for the tests that run it as a user does; empty
// when it was not built.
std::string BuiltCliPath();

}  // namespace kelvadeck::testsupport
