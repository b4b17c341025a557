#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "app/Logger.h"
#include "device/USBHidManager.h"
#include "screens/ScreenContext.h"

namespace kelvadeck {

class DataManager;
class HidBackend;
class HidPump;
class MainWindow;
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
        // Where the device is looked for: hidapi, or the emulated Kelvadeck.
        std::shared_ptr<HidBackend> backend;
        UserDefaults* defaults = nullptr;
        UserPrompts* prompts = nullptr;
        Logger logger;
        std::string language;     // of the string table: "", "en", "ja..."
        std::string countryCode;  // of the host's locale
        std::string resourceDir;  // holds help/ and presetdata/
        bool emulated = false;
        std::string emulatorImage;
        // None: the transport's own timeouts and retries.
        std::optional<USBHidManager::RetryPolicy> retryPolicy;
    };

    explicit AppDelegate(Config config, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    DataManager* pDM() const { return g_pDM.get(); }
    MainWindow& Window() { return *m_window; }
    ScreenContext& Context() { return m_ctx; }

private:
    Config m_config;
    ScreenContext m_ctx;
    HidPump* m_pump = nullptr;
    std::shared_ptr<QtHidBackend> m_backend;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<DataManager> g_pDM;
};

}  // namespace kelvadeck
