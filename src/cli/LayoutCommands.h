#pragma once

#include <CLI/CLI.hpp>

namespace kelvadeck {

struct CliOptions;

// `layout list | show NAME | apply NAME --mode N [--follow] | save FILE
// --mode N`: ready layouts of one mode for drawing and photo applications,
// and the user's own (docs/layouts.md).
class LayoutCommands {
public:
    static void Register(CLI::App& app, CliOptions& options);
};

}  // namespace kelvadeck
