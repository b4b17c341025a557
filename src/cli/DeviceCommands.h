#pragma once

#include <CLI/CLI.hpp>
#include <functional>

namespace kelvadeck {

struct CliOptions;
class DeviceSession;

// The commands that talk to a Kelvadeck (or, with --emulator, to the emulated
// one): info, dump without --image, backup, restore, reset, led and
// macro show. Each runs real jobs through the transport and leaves its exit
// status in CliOptions::exitCode; failures print one line on stderr.
class DeviceCommands {
public:
    // Adds the commands to app. Call after DumpCommand::Register: `dump`
    // without --image is then served from the device.
    static void Register(CLI::App& app, CliOptions& options);

    // Opens a session, runs body on it and closes it; the exit status.
    static int WithDevice(const CliOptions& options, const std::function<int(DeviceSession&)>& body);

    // The device half of `dump`: boot, every stored script read, the model printed.
    static int DumpFromDevice(const CliOptions& options);
};

}  // namespace kelvadeck
