#pragma once

#include <CLI/CLI.hpp>

namespace kelvadeck {

struct CliOptions;

// `app-mode list|add APP MODE|remove APP|fallback MODE|stay`: the rules that
// say which mode follows which application (no device needed), and
// `follow-focus`: the device's mode follows the focused application until
// the program is stopped.
class AppModeCommands {
public:
    static void Register(CLI::App& app, CliOptions& options);
};

}  // namespace kelvadeck
