#pragma once

#include <QStringList>
#include <optional>
#include <string>

namespace kelvadeck {

// The desktop application's command line, parsed with Qt's parser so that
// Qt's own options (-platform, -style ...) work beside ours. --emulator takes
// its image file as the command line program does: --emulator, --emulator=FILE
// or --emulator FILE.
class CommandLine {
public:
    static constexpr int EXIT_USAGE = 2;

    struct Options {
        bool emulator = false;
        std::string emulatorFile;
        std::string emulatorFaults;
        std::string device;  // --device PATH|SERIAL
        bool verbose = false;
        bool debug = false;
        bool inTray = false;  // --in-tray
        // Hidden: grab the window (or a screen opened from it) once the
        // device has been read, save it as a PNG and quit. For documentation.
        std::string screenshot;
        std::string screen;  // "", "settings", "led", "switch", "dial", "macro", "macrostep", "dialmacro"
    };

    // Before the application object exists (no display is needed): the text
    // to print for --help or --version; none otherwise.
    static std::optional<std::string> HelpOrVersion(const QStringList& arguments);
    // The arguments Qt has left (its own options taken out). False with a
    // one-line message in error for a command line that is wrong.
    static bool Parse(const QStringList& arguments, Options& options, std::string& error);
};

}  // namespace kelvadeck
