#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "emulator/EmulatorFaultList.h"

namespace kelvadeck {

// Options every command shares, and the exit status the command leaves.
struct CliOptions {
    std::string emulatorFile;  // --emulator=FILE.mbf; empty: start from an erased flash, save nothing
    CLI::Option* emulatorOption = nullptr;
    std::string emulatorFaults;  // --emulator-faults LIST: how the emulated device misbehaves
    int emulatorDevices = 1;     // --emulator-devices N: that many emulated Kelvadecks attached
    std::string device;          // --device PATH|SERIAL: which Kelvadeck, when several are attached
    bool trace = false;
    bool yes = false;
    bool json = false;
    bool verbose = false;
    bool debug = false;
    // Of the names shown for functions, keys and colours ("ja...": Japanese);
    // empty: English. The program takes it from the host's locale.
    std::string language;
    // The folder holding presetdata/ (empty: preset files are not named).
    std::string resourceDir;
    int exitCode = 0;

    bool UseEmulator() const { return emulatorOption != nullptr && emulatorOption->count() > 0; }

    void AddTo(CLI::App& app) {
        // Global options may also follow the command name.
        app.fallthrough(true);
        emulatorOption = app.add_option("--emulator", emulatorFile,
                                        "Use the built-in emulated Kelvadeck; with =FILE.mbf its flash is loaded from FILE "
                                        "(erased when missing) and saved back when the command ends")
                             ->expected(0, 1);
        app.add_option("--emulator-faults", emulatorFaults,
                       "Make the emulated Kelvadeck misbehave: a comma-separated LIST of busy=N, busy-code=0xNN, "
                       "refuse=0xCC, refuse-at=0xFIRST-0xLAST, drop=N, unplug=N")
            ->type_name("LIST")
            ->needs(emulatorOption)
            ->check(CLI::Validator(
                [](std::string& list) {
                    EmulatorKnobs knobs;
                    std::string error;
                    return EmulatorFaultList::Apply(list, knobs, error) ? std::string() : error;
                },
                "LIST"));
        app.add_option("--emulator-devices", emulatorDevices,
                       "Attach N emulated Kelvadecks (the first with FILE's flash, the others erased), to try list "
                       "and --device")
            ->type_name("N")
            ->needs(emulatorOption)
            ->check(CLI::Range(1, 8));
        app.add_option("--device", device,
                       "The Kelvadeck to use when several are attached: its path or serial number (see list)")
            ->type_name("PATH|SERIAL");
        app.add_flag("--trace", trace, "Print every exchanged report to stderr");
        app.add_flag("--yes,-y", yes, "Answer confirmations with yes");
        app.add_flag("--json", json, "Print data as JSON");
        app.add_flag("--verbose,-v", verbose, "Print the log lines (info and above) to stderr too");
        app.add_flag("--debug", debug, "Log every report exchanged too (also KELVADECK_DEBUG=1)");
    }
};

}  // namespace kelvadeck
