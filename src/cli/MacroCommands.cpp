#include "cli/MacroCommands.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <memory>
#include <system_error>

#include "cli/CliMessages.h"
#include "cli/CliOptions.h"
#include "keys/KeyCode.h"
#include "macro/MacroCreator.h"
#include "macro/MacroScriptFile.h"
#include "macro/MacroScriptText.h"
#include "model/StringTable.h"

namespace kelvadeck {

namespace {

// The text read by `macro encode` is bounded so a stray binary on stdin
// cannot eat the machine; a full device script is well under 1 MiB of text.
constexpr size_t kTextLimit = 16u << 20;

std::optional<KeyCode> LayoutKeys(const std::string& layout) {
    KeyCode keys;
    if (layout == "us" || layout == "US") keys.SetKeyboardType(KeyCode::KEYBOARD_TYPE_US);
    else if (layout == "jis" || layout == "JIS") keys.SetKeyboardType(KeyCode::KEYBOARD_TYPE_JIS);
    else return std::nullopt;
    return keys;
}

bool HasSignature(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 4 && bytes[0] == 3 && bytes[1] == 'Z' && bytes[2] == 'K' && bytes[3] == 'W';
}

nlohmann::ordered_json OptionalText(const std::optional<std::string>& text) {
    return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
}

}  // namespace

nlohmann::ordered_json MacroCommands::StepJson(const MacroDataScript& step, const StringTable& strings) {
    const std::string text = MacroScriptText::StepText(step);
    return {
        {"kind", text.substr(0, text.find(' '))},
        {"text", text},
        {"name", OptionalText(MacroCreator::GetContentName(step, strings))},
        {"value", MacroCreator::GetSetValueString(step, strings)},
        {"bControlItemNo", step.bControlItemNo},
        {"bScriptID", step.bScriptID},
        {"nScriptSize", step.nScriptSize},
        {"sOption", step.sOption},
        {"cOption1", step.cOption1},
        {"cOption2", step.cOption2},
        {"cOption3", step.cOption3},
        {"strAnalyzeRet1", OptionalText(step.strAnalyzeRet1)},
        {"strAnalyzeRet2", OptionalText(step.strAnalyzeRet2)},
        {"strAnalyzeRet3", OptionalText(step.strAnalyzeRet3)},
    };
}

namespace {

// Where and why decoding stopped, from the steps decoded before it.
std::string StopReason(const std::vector<uint8_t>& script, const std::vector<MacroDataScript>& steps) {
    size_t at = 0;
    for (const MacroDataScript& step : steps) at += static_cast<size_t>(step.nScriptSize);
    if (at >= script.size()) return "decoding stopped at the end";
    char command[8];
    std::snprintf(command, sizeof command, "0x%02X", script[at]);
    if (MacroCreator::GetMacroSize(script[at]) == 0) {
        return "unknown command byte " + std::string(command) + " at byte " + std::to_string(at);
    }
    return "the step " + std::string(command) + " at byte " + std::to_string(at) + " is cut off by the end";
}

}  // namespace

int MacroCommands::Decode(const DecodeArgs& args, std::ostream& out, std::ostream& err) {
    const auto keys = LayoutKeys(args.layout);
    if (!keys) {
        CliMessages::Fail(err, "unknown keyboard layout \"" + args.layout + "\" (us or jis)");
        return 1;
    }
    if (args.input.empty()) {
        CliMessages::Fail(err, "macro decode needs hex bytes or a file");
        return 1;
    }

    std::optional<uint8_t> mode;
    std::vector<uint8_t> script;
    std::error_code ec;
    if (args.input.size() == 1 && std::filesystem::is_regular_file(args.input[0], ec)) {
        const std::string& path = args.input[0];
        const auto bytes = MacroScriptFile::ReadFile(path, MacroScriptFile::FILE_SIZE_LIMIT - 1);
        if (!bytes) {
            CliMessages::Fail(err, "cannot read " + path + " (missing, unreadable or larger than a macro file)");
            return 1;
        }
        if (HasSignature(*bytes)) {
            // A macro script file: every check of an import.
            const MacroScriptFile::Imported imported = MacroScriptFile::Import(bytes->data(), bytes->size(), *keys);
            if (!imported.ok()) {
                CliMessages::Fail(err, path + ": " + MacroScriptFile::ErrorText(imported));
                return 1;
            }
            mode = imported.mode;
            script = imported.script;
        } else {
            // Raw script bytes, as preset scripts are stored.
            script = *bytes;
        }
    } else {
        std::string joined;
        for (const std::string& word : args.input) joined += word + " ";
        const auto bytes = MacroScriptText::ParseHex(joined);
        if (!bytes) {
            CliMessages::Fail(err, "\"" + joined.substr(0, 60) + (joined.size() > 60 ? "..." : "") +
                                       "\" is neither a file nor hex bytes");
            return 1;
        }
        script = *bytes;
    }
    if (script.size() > MacroScriptFile::SCRIPT_SIZE_MAX) {
        CliMessages::Fail(err, "the script has " + std::to_string(script.size()) + " bytes; the device takes at most " +
                                   std::to_string(MacroScriptFile::SCRIPT_SIZE_MAX));
        return 1;
    }

    MacroCreator macro;
    const bool complete = macro.AnalyzeDataFromFlash(script.data(), static_cast<int32_t>(script.size()), *keys);
    const StringTable strings;
    if (args.json) {
        nlohmann::ordered_json steps = nlohmann::ordered_json::array();
        for (const MacroDataScript& step : macro.arCurrentMacroScript) steps.push_back(StepJson(step, strings));
        nlohmann::ordered_json doc = {
            {"mode", mode ? nlohmann::ordered_json(*mode) : nlohmann::ordered_json(nullptr)},
            {"size", script.size()},
            {"complete", complete},
            {"steps", steps},
        };
        out << doc.dump(2) << "\n";
    } else {
        out << MacroScriptText::Format(macro.arCurrentMacroScript, mode, strings);
    }
    if (!complete) {
        CliMessages::Fail(err, StopReason(script, macro.arCurrentMacroScript));
        return 1;
    }
    return 0;
}

int MacroCommands::Encode(const EncodeArgs& args, std::istream& in, std::ostream& out, std::ostream& err) {
    const auto keys = LayoutKeys(args.layout);
    if (!keys) {
        CliMessages::Fail(err, "unknown keyboard layout \"" + args.layout + "\" (us or jis)");
        return 1;
    }
    std::optional<uint8_t> modeOverride;
    if (args.mode) {
        modeOverride = MacroScriptText::ParseMode(*args.mode);
        if (!modeOverride) {
            CliMessages::Fail(err, "unknown mode \"" + *args.mode + "\" (once, loop, fire, hold or 0..3)");
            return 1;
        }
    }

    std::string text;
    const std::string name = args.input.empty() || args.input == "-" ? "<stdin>" : args.input;
    {
        std::ifstream file;
        std::istream* source = &in;
        if (name != "<stdin>") {
            file.open(args.input, std::ios::binary);
            if (!file) {
                CliMessages::Fail(err, "cannot read " + args.input);
                return 1;
            }
            source = &file;
        }
        char buffer[4096];
        while (source->read(buffer, sizeof buffer) || source->gcount() > 0) {
            text.append(buffer, static_cast<size_t>(source->gcount()));
            if (text.size() > kTextLimit) {
                CliMessages::Fail(err, name + " is too large for a macro text (over " + std::to_string(kTextLimit) + " bytes)");
                return 1;
            }
        }
        if (source->bad()) {
            CliMessages::Fail(err, "cannot read " + name);
            return 1;
        }
    }

    const MacroScriptText::Parsed parsed = MacroScriptText::Parse(text, *keys);
    if (!parsed.ok) {
        CliMessages::Fail(err, name + ":" + std::to_string(parsed.errorLine) + ": " + parsed.error);
        return 1;
    }

    // Through the decoder, so the file holds exactly what the editor would write.
    MacroCreator macro;
    macro.bScriptMode = modeOverride.value_or(parsed.mode.value_or(0));
    if (!macro.AnalyzeDataFromFlash(parsed.script.data(), static_cast<int32_t>(parsed.script.size()), *keys)) {
        CliMessages::Fail(err, name + ": internal error: the steps do not decode");
        return 1;
    }
    const MacroScriptFile::Exported exported =
        args.output.empty() ? MacroScriptFile::Build(macro) : MacroScriptFile::Export(macro, args.output);
    if (!exported.ok()) {
        CliMessages::Fail(err, (args.output.empty() ? name : args.output) + ": " + MacroScriptFile::ErrorText(exported));
        return 1;
    }
    if (args.output.empty()) {
        const std::vector<uint8_t> scriptBytes(exported.bytes.begin() + MacroScriptFile::HEADER_SIZE, exported.bytes.end());
        out << MacroScriptText::ToHex(scriptBytes) << "\n";
    }
    return 0;
}

CLI::App* MacroCommands::Register(CLI::App& app, CliOptions& options) {
    auto* macro = app.add_subcommand("macro", "Macro scripts: decode and encode script bytes and .mcdf files");
    macro->require_subcommand(1);

    auto decodeArgs = std::make_shared<DecodeArgs>();
    auto* decode = macro->add_subcommand(
        "decode", "List the steps of script bytes (hex), a macro script file or a preset script");
    decode->add_option("input", decodeArgs->input, "HEX bytes (e.g. 41 04 70 01 2C 40 04) or FILE.mcdf")->required();
    decode->add_option("--layout", decodeArgs->layout, "Keyboard layout for key names: us (default) or jis");
    decode->callback([&options, decodeArgs] {
        decodeArgs->json = options.json;
        options.exitCode = Decode(*decodeArgs, std::cout, std::cerr);
    });

    auto encodeArgs = std::make_shared<EncodeArgs>();
    auto modeText = std::make_shared<std::string>();
    auto* encode = macro->add_subcommand(
        "encode", "Read steps in the text form (docs/macro-text.md) and write a macro script file");
    encode->add_option("input", encodeArgs->input, "Text file of steps; - or nothing: standard input");
    encode->add_option("-o,--output", encodeArgs->output, "Write FILE.mcdf; without it the script bytes are printed as hex");
    auto* modeOption = encode->add_option("--mode", *modeText, "Play mode: once, loop, fire or hold (overrides a mode line)");
    encode->add_option("--layout", encodeArgs->layout, "Keyboard layout for key names: us (default) or jis");
    encode->callback([&options, encodeArgs, modeText, modeOption] {
        if (modeOption->count() > 0) encodeArgs->mode = *modeText;
        options.exitCode = Encode(*encodeArgs, std::cin, std::cout, std::cerr);
    });
    return macro;
}

}  // namespace kelvadeck
