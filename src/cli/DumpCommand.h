#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace kelvadeck {

struct CliOptions;
class DataManager;

// `dump`: prints the whole settings model, decoded from a backup file
// (--image FILE.mbf, no device needed) or read from the device.
class DumpCommand {
public:
    static void Register(CLI::App& app, CliOptions& options);
    // Loads a 2 MiB backup image into the data manager and decodes it with
    // every script body. Returns an error text, empty on success.
    static std::string LoadImage(DataManager& dm, const std::string& path);
    static void Print(const DataManager& dm, bool json);
};

}  // namespace kelvadeck
