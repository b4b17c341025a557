#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include "emulator/EmulatorFaultList.h"

namespace kelvadeck {

namespace {

const QString kEmulator = QStringLiteral("emulator");
const QString kFaults = QStringLiteral("emulator-faults");
const QString kDevice = QStringLiteral("device");
const QString kVerbose = QStringLiteral("verbose");
const QString kDebug = QStringLiteral("debug");
const QString kVersion = QStringLiteral("version");
const QString kScreenshot = QStringLiteral("screenshot");
const QString kScreen = QStringLiteral("screen");
const QString kInTray = QStringLiteral("in-tray");

void Declare(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("The Kelvadeck configurator."));
    parser.addHelpOption();
    parser.addOption(QCommandLineOption(kVersion, QStringLiteral("Print the version and exit.")));
    parser.addOption(QCommandLineOption(
        kEmulator, QStringLiteral("Use the built-in emulated Kelvadeck instead of a real one; with FILE its flash is loaded "
                                  "from FILE (erased when FILE does not exist) and saved back there when you quit.")));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("With --emulator: the flash image file (.mbf)."),
                                 QStringLiteral("[FILE]"));
    parser.addOption(QCommandLineOption(kFaults,
                                        QStringLiteral("Make the emulated Kelvadeck misbehave: a comma-separated LIST of "
                                                       "busy=N, busy-code=0xNN, refuse=0xCC, refuse-at=0xFIRST-0xLAST, drop=N, "
                                                       "unplug=N."),
                                        QStringLiteral("LIST")));
    parser.addOption(QCommandLineOption(
        kDevice, QStringLiteral("The Kelvadeck to use when several are attached: its path or serial number."),
        QStringLiteral("PATH|SERIAL")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("v"), kVerbose},
                                        QStringLiteral("Also print the log lines (info and above) to standard error.")));
    parser.addOption(
        QCommandLineOption(kDebug, QStringLiteral("Log every report exchanged too (also KELVADECK_DEBUG=1).")));
    parser.addOption(QCommandLineOption(
        kInTray, QStringLiteral("Start in the system tray, without a window (as the login's autostart entry does), "
                                "where the desktop has a tray and the tray is switched on.")));
    QCommandLineOption screenshot(kScreenshot, QString(), QStringLiteral("PNG"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshot);
    QCommandLineOption screen(kScreen, QString(), QStringLiteral("NAME"));
    screen.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screen);
}

// --emulator=FILE as --emulator FILE: the file is the one positional argument.
QStringList Normalized(const QStringList& arguments) {
    QStringList out;
    for (const QString& a : arguments) {
        if (a.startsWith(QStringLiteral("--emulator="))) {
            out << QStringLiteral("--emulator") << a.mid(11);
        } else {
            out << a;
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> CommandLine::HelpOrVersion(const QStringList& arguments) {
    QCommandLineParser parser;
    Declare(parser);
    // Qt's own options are not known here yet; they do not matter for this.
    (void)parser.parse(Normalized(arguments));
    if (parser.isSet(kVersion)) return std::string("kelvadeck ") + KELVADECK_VERSION + "\n";
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        // The usage line names the program as it is installed, however it was started.
        QString text = parser.helpText();
        const QString usage = QStringLiteral("Usage: ");
        const qsizetype options = text.indexOf(QStringLiteral(" [options]"));
        if (text.startsWith(usage) && options > usage.size()) text.replace(usage.size(), options - usage.size(), QStringLiteral("kelvadeck"));
        return text.toStdString() + "\nExit status: 0 success, 1 failure, 2 usage error, 3 no display.\n";
    }
    return std::nullopt;
}

bool CommandLine::Parse(const QStringList& arguments, Options& o, std::string& error) {
    QCommandLineParser parser;
    Declare(parser);
    if (!parser.parse(Normalized(arguments))) {
        error = parser.errorText().replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdString();
        return false;
    }
    o.emulator = parser.isSet(kEmulator);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1 || (!files.isEmpty() && !o.emulator)) {
        error = "unexpected argument " + files.constLast().toStdString() + " (an image file goes with --emulator)";
        return false;
    }
    if (!files.isEmpty()) o.emulatorFile = files.constFirst().toStdString();
    o.emulatorFaults = parser.value(kFaults).toStdString();
    o.device = parser.value(kDevice).toStdString();
    o.verbose = parser.isSet(kVerbose);
    o.debug = parser.isSet(kDebug);
    o.inTray = parser.isSet(kInTray);
    o.screenshot = parser.value(kScreenshot).toStdString();
    o.screen = parser.value(kScreen).toStdString();
    if (!o.emulatorFaults.empty()) {
        EmulatorKnobs knobs;
        if (!o.emulator) {
            error = "--emulator-faults needs --emulator";
            return false;
        }
        if (!EmulatorFaultList::Apply(o.emulatorFaults, knobs, error)) {
            error = "--emulator-faults: " + error;
            return false;
        }
    }
    return true;
}

}  // namespace kelvadeck
