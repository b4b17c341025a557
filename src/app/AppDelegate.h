#pragma once

#include <QObject>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/Logger.h"
#include "app/OfflineDevice.h"
#include "device/USBHidManager.h"
#include "screens/ScreenContext.h"

namespace kelvadeck {

class DataManager;
class HidBackend;
class DeviceEvents;
class FocusFollower;
class FocusWatcher;
class StringTable;
class TrayPresence;
class HidPump;
class MainWindow;
class MainMenu;
class QtHidBackend;
class UserDefaults;
class UserPrompts;

// The application delegate: builds the main window, creates the data manager
// once launching has finished (and looks for the device at once), and tears
// it down at termination. It owns the HID delivery to the main thread.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    struct Config {
        // Where the device is looked for: hidapi, or (tests) an emulated Kelvadeck.
        std::shared_ptr<HidBackend> backend;
        // Start on this flash image file instead, on the emulated Kelvadeck.
        std::unique_ptr<OfflineDevice> offline;
        // Its file is written back when the program ends (`--emulator=FILE`).
        bool saveOfflineOnQuit = false;
        UserDefaults* defaults = nullptr;
        UserPrompts* prompts = nullptr;
        Logger logger;
        std::string language;     // of the string table: "", "en", "ja..."
        std::string countryCode;  // of the host's locale
        std::string resourceDir;  // holds help/ and presetdata/
        // The backend above is an emulated Kelvadeck (its flash kept in emulatorImage).
        bool emulated = false;
        std::string emulatorImage;
        // Which Kelvadeck to take when several are attached: its path or serial number.
        std::string deviceChoice;
        // None: the transport's own timeouts and retries.
        std::optional<USBHidManager::RetryPolicy> retryPolicy;
        // Follow the focused application with the rules of this file (empty:
        // the user's); none: do not follow (the tests' default).
        std::optional<std::string> followFocusRules;
        // Which desktop's focus is watched; null: the first that works here.
        std::function<std::unique_ptr<FocusWatcher>(std::string& why)> focusWatchers;
    };

    explicit AppDelegate(Config config, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    // Offline editing. A backup file opened on the emulated Kelvadeck
    // replaces the device (the data manager starts afresh on it); false with
    // error, and nothing changed, when the file is no flash image or the
    // `--emulator=FILE` image being left cannot be saved.
    [[nodiscard]] bool OpenBackup(const std::string& path, std::string& error);
    // Back to the connected Kelvadeck; an opened backup is let go unsaved
    // (the `--emulator=FILE` image is saved, as at the end of the program).
    // False with error, and nothing changed, when that save fails.
    [[nodiscard]] bool UseConnectedDevice(std::string& error);
    // The opened file, or none while the device is used.
    OfflineDevice* Offline() const { return m_offline.get(); }
    // Writes the emulated flash to the opened file, or (SaveAs) to path,
    // which then becomes the opened file.
    [[nodiscard]] bool SaveOffline(std::string& error);
    [[nodiscard]] bool SaveOfflineAs(const std::string& path, std::string& error);
    // Whether closing the window would lose edits of an opened file: it has
    // unsaved changes and is not one that is saved when the program ends.
    bool HasUnsavedOfflineChanges() const;
    // At the end of the program: writes back the `--emulator=FILE` image
    // when its flash has changed.
    [[nodiscard]] bool SaveOfflineOnQuit(std::string& error);

    DataManager* pDM() const { return g_pDM.get(); }
    MainWindow& Window() { return *m_window; }
    MainMenu& Menu() { return *m_menu; }
    ScreenContext& Context() { return m_ctx; }
    // Null when the focus is not followed (not asked for, or not built in).
    FocusFollower* Focus() const { return m_focus; }
    // Started with --in-tray: the window stays hidden when the application
    // lives in the system tray.
    bool StartsInTray() const;
    // The file of the rules "application -> mode" the focus follows.
    std::string AppModeRulesPath() const;
    // Edit > Modes for Applications…: the rules of the focus follower.
    void EditAppModes(const StringTable& strings, QWidget* parent);

private:
    // Ends the data manager and starts it again on the opened file, or on
    // the device when offline is null.
    void Relaunch(std::unique_ptr<OfflineDevice> offline);
    void UseBackend();
    // The screens' view of the opened file: its path and how it is saved.
    void NoteOfflineFile();

    Config m_config;
    std::unique_ptr<OfflineDevice> m_offline;
    // The file that is saved when the program ends; empty: none.
    std::string m_saveOnQuitPath;
    ScreenContext m_ctx;
    HidPump* m_pump = nullptr;
    DeviceEvents* m_events = nullptr;
    FocusFollower* m_focus = nullptr;
    TrayPresence* m_tray = nullptr;
    std::shared_ptr<QtHidBackend> m_backend;
    std::unique_ptr<MainWindow> m_window;
    MainMenu* m_menu = nullptr;
    std::unique_ptr<DataManager> g_pDM;
};

}  // namespace kelvadeck
