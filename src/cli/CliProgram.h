#pragma once

#include <CLI/CLI.hpp>

namespace kelvadeck {

struct CliOptions;

// Every command of kelvadeck-cli on one CLI11 app: used by main() and by the
// tests that run command lines in-process.
class CliProgram {
public:
    static void Register(CLI::App& app, CliOptions& options);
};

}  // namespace kelvadeck
