#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace kelvadeck {

struct CliOptions;
struct MacroDataScript;
class StringTable;

// `macro`: macro scripts without a device.
//   macro decode HEX|FILE.mcdf [--json]   lists the steps of script bytes, a
//                                         macro script file or a preset script
//   macro encode [FILE] [-o FILE.mcdf] [--mode M]
//                                         reads steps in the text form of
//                                         docs/macro-text.md and writes a file
// Register returns the `macro` command so that device commands (show,
// export, import) can be added beside decode and encode.
class MacroCommands {
public:
    static CLI::App* Register(CLI::App& app, CliOptions& options);

    struct DecodeArgs {
        std::vector<std::string> input;  // one file name, or hex bytes in one or more words
        bool json = false;
        std::string layout = "us";       // key names: "us" or "jis"
    };
    struct EncodeArgs {
        std::string input;               // text file; empty or "-": standard input
        std::string output;              // .mcdf file; empty: print the script bytes as hex
        std::optional<std::string> mode; // overrides a "mode" line
        std::string layout = "us";
    };

    // Each returns the exit status: 0 done, 1 bad input or a file that could
    // not be read or written (one line on err says which).
    static int Decode(const DecodeArgs& args, std::ostream& out, std::ostream& err);
    static int Encode(const EncodeArgs& args, std::istream& in, std::ostream& out, std::ostream& err);

    // One step as JSON: its text form, display texts and every field.
    static nlohmann::ordered_json StepJson(const MacroDataScript& step, const StringTable& strings);
};

}  // namespace kelvadeck
