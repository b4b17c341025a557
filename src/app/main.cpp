// kelvadeck: the Kelvadeck configurator for the desktop.
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "core/DataManager.h"
#include "core/FileUserDefaults.h"
#include "core/HostLanguage.h"
#include "app/MainWindow.h"
#include "core/ResourceDir.h"
#include "core/SystemLog.h"
#include "device/USBHidManager.h"
#include "app/OfflineDevice.h"
#include "emulator/EmulatorFaultList.h"
#include "model/StringTable.h"
#include "screens/QtUserPrompts.h"
#include "screens/TopVC.h"
#ifdef KELVADECK_HAVE_HIDAPI
#include "hid/HidapiBackend.h"
#endif

namespace {

using namespace kelvadeck;

constexpr int EXIT_NO_DISPLAY = 3;

using Options = CommandLine::Options;

// On Linux a desktop session names its display; without one there is nothing
// to show the window on, unless a platform is named (-platform offscreen).
bool HasDisplay(const QStringList& args) {
#if defined(__linux__)
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v != nullptr && *v != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM") || args.contains(QStringLiteral("-platform"));
#else
    static_cast<void>(args);
    return true;
#endif
}

// The folder that holds help/ and presetdata/: next to an installed program
// (share/kelvadeck), else the build tree's.
std::string FindResourceDir() {
#ifdef KELVADECK_BUILD_RESOURCE_DIR
    const std::string buildDir = KELVADECK_BUILD_RESOURCE_DIR;
#else
    const std::string buildDir;
#endif
    return ResourceDir::Find(QCoreApplication::applicationDirPath().toStdString(), buildDir);
}

// Grabs the window, or the screen named, once the device has been read:
// "settings", "led" (mode 1's colour), "switch" (key 1), "dial" (dial
// function 1), "macro" (the macro editor with slot 1 read), "macrostep" (the
// same with the dialog of its second step open) or "dialmacro". Any other
// name ends the program with a message.
void ArmScreenshot(AppDelegate& delegate, const Options& o) {
    auto* poll = new QTimer(&delegate);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    // 0: nothing opened yet; 1: the screen is open; 2: a macro slot is read;
    // 3: a step's dialog is open.
    auto stage = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, &delegate, [&delegate, poll, clock, stage, o] {
        DataManager* dm = delegate.pDM();
        const bool ready = dm && dm->bDataInitialize() && !dm->pUSBHID().IsJobRunning() && !dm->bDataUpdate();
        if (!ready && clock->elapsed() < 10000) return;
        TopVC& top = delegate.Window().Top();
        const bool macro = o.screen == "macro" || o.screen == "macrostep";
        if (*stage == 0 && !o.screen.empty()) {
            *stage = 1;
            if (o.screen == "settings") top.OpenSettingScreen();
            if (o.screen == "led") top.OpenLedColorScreen(1);
            if (o.screen == "switch") top.OpenSwitchFuncScreen(0);
            if (o.screen == "dial") top.OpenDialFuncScreen(0);
            if (macro) top.OpenMacroEditor();
            if (o.screen == "dialmacro") top.OpenDialMacroEditor();
            if (top.CurrentScreen() == nullptr) {
                poll->stop();
                std::fprintf(stderr,
                             "kelvadeck: cannot open the screen \"%s\" (known: settings, led, switch, dial, macro, macrostep, "
                             "dialmacro)\n",
                             o.screen.c_str());
                QCoreApplication::exit(CommandLine::EXIT_USAGE);
                return;
            }
            clock->restart();
            return;
        }
        if (clock->elapsed() < 600) return;  // let the screens settle and paint
        if (*stage == 1 && macro) {
            // Slot 1 is read into the editor; the step dialog follows once it is there.
            *stage = 2;
            QObject* screen = top.CurrentScreen();
            QObject* slotList = screen ? screen->findChild<QObject*>(QStringLiteral("m_tvSelectMacro")) : nullptr;
            QObject* read = screen ? screen->findChild<QObject*>(QStringLiteral("m_btnRead")) : nullptr;
            if (slotList && read) {
                QMetaObject::invokeMethod(slotList, "selectRow", Q_ARG(int, 0));
                QMetaObject::invokeMethod(read, "click");
            }
            clock->restart();
            return;
        }
        if (*stage == 2 && o.screen == "macrostep") {
            *stage = 3;
            QObject* screen = top.CurrentScreen();
            QObject* steps = screen ? screen->findChild<QObject*>(QStringLiteral("m_tvMacroContents")) : nullptr;
            if (steps) QMetaObject::invokeMethod(steps, "cellDoubleClicked", Q_ARG(int, 2), Q_ARG(int, 2));
            clock->restart();
            return;
        }
        poll->stop();
        QWidget* target = top.CurrentScreen() ? static_cast<QWidget*>(top.CurrentScreen()) : &delegate.Window();
        if (o.screen == "macrostep" && top.CurrentScreen()) {
            // The step dialog is the editor's own dialog.
            if (auto* dialog = top.CurrentScreen()->findChild<QDialog*>(); dialog && dialog->isVisible()) target = dialog;
        }
        const bool saved = target->grab().save(QString::fromStdString(o.screenshot));
        if (!saved) std::fprintf(stderr, "kelvadeck: cannot write the screenshot %s\n", o.screenshot.c_str());
        QCoreApplication::exit(saved ? 0 : 1);
    });
    poll->start(100);
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    // Help and the version need no display.
    if (const std::optional<std::string> text = CommandLine::HelpOrVersion(args)) {
        std::fputs(text->c_str(), stdout);
        return 0;
    }
    if (!HasDisplay(args)) {
        std::fprintf(stderr,
                     "kelvadeck: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "The configurator's window needs a desktop session. Without one, use the command\n"
                     "line version, for example:\n"
                     "  kelvadeck-cli info\n"
                     "  kelvadeck-cli --emulator=FILE.mbf dump\n");
        return EXIT_NO_DISPLAY;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelvadeck"));
    // Wayland matches the window to its desktop entry (name and icon) by this.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.kelvadeck"));
    QApplication::setApplicationVersion(QStringLiteral(KELVADECK_VERSION));
    Options options;
    std::string usageError;
    if (!CommandLine::Parse(QApplication::arguments(), options, usageError)) {
        std::fprintf(stderr, "kelvadeck: %s (see kelvadeck --help)\n", usageError.c_str());
        return CommandLine::EXIT_USAGE;
    }

    // The language the command line program speaks too; Qt's own dialogs
    // (file choosers, standard buttons) follow it where their translation is installed.
    const std::string language = HostLanguage::FromEnvironment();
    const QLocale locale = language.empty() ? QLocale::system() : QLocale(QString::fromStdString(language));
    QTranslator qtTexts;
    if (qtTexts.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }
    const StringTable strings(language);
    SystemLog systemLog(options.verbose, options.debug);
    FileUserDefaults defaults;
    QtUserPrompts prompts(strings);

    // With --emulator the emulated Kelvadeck stands in for the device, its
    // flash in FILE when one is named (saved back there when the program ends).
    std::unique_ptr<OfflineDevice> offline;
    std::shared_ptr<HidBackend> backend;
    if (options.emulator) {
        if (options.emulatorFile.empty()) {
            offline = OfflineDevice::Blank();
        } else {
            const std::string path =
                QFileInfo(QString::fromStdString(options.emulatorFile)).absoluteFilePath().toStdString();
            std::string error;
            offline = OfflineDevice::Open(path, true, error);
            if (!offline) {
                std::fprintf(stderr, "kelvadeck: %s\n", error.c_str());
                prompts.ShowError(std::string(), error);
                return 1;
            }
        }
        if (!options.emulatorFaults.empty()) {
            // The list was checked with the other options.
            EmulatorKnobs knobs = offline->Device().Knobs();
            std::string error;
            if (EmulatorFaultList::Apply(options.emulatorFaults, knobs, error)) offline->Device().SetKnobs(knobs);
        }
    }
#ifdef KELVADECK_HAVE_HIDAPI
    // The real device's transport, also for going back to it from a file.
    backend = std::make_shared<HidapiBackend>();
#endif

    AppDelegate::Config config;
    config.backend = backend;
    config.defaults = &defaults;
    config.prompts = &prompts;
    config.logger = systemLog.MakeLogger();
    config.language = language;
    config.countryCode = QLocale::territoryToCode(locale.territory()).toStdString();
    config.resourceDir = FindResourceDir();
    config.deviceChoice = options.device;
    config.offline = std::move(offline);
    config.saveOfflineOnQuit = true;
    config.followFocusRules = std::string();
    int result = 0;
    {
        AppDelegate delegate(std::move(config));
        // The window opens at its natural size where the screen has room for
        // it, and fills a smaller screen.
        MainWindow& window = delegate.Window();
        if (const QScreen* screen = window.screen()) {
            window.resize(window.sizeHint().boundedTo(screen->availableGeometry().size()).expandedTo(window.minimumSizeHint()));
        }
        // The login's autostart entry starts the application in the tray.
        if (!options.inTray || !options.screenshot.empty() || !delegate.StartsInTray()) window.show();
        QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
        if (!options.screenshot.empty()) ArmScreenshot(delegate, options);
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, [&delegate] { delegate.applicationWillTerminate(); });
        result = QApplication::exec();
        std::string error;
        if (!delegate.SaveOfflineOnQuit(error)) {
            std::fprintf(stderr, "kelvadeck: the emulated device's flash could not be saved: %s\n", error.c_str());
            return 1;
        }
    }
    return result;
}
