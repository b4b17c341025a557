#include "app/AppDelegate.h"

#include "core/AppModeRules.h"
#include "core/DataManager.h"
#include "app/HidPump.h"
#include "app/MainMenu.h"
#include "app/MainWindow.h"
#include "app/QtHidBackend.h"
#include "screens/DeviceEvents.h"
#include "app/TrayPresence.h"
#include "core/Autostart.h"
#include "screens/TopVC.h"
#ifdef KELVADECK_HAVE_FOCUS
#include "app/FocusFollower.h"
#include "core/InstalledApplications.h"
#include "model/StringTable.h"
#include "screens/AppModeRulesDialog.h"
#include "screens/QtText.h"
#include "screenlogic/TextTemplate.h"
#endif

namespace kelvadeck {

AppDelegate::AppDelegate(Config config, QObject* parent)
    : QObject(parent), m_config(std::move(config)), m_offline(std::move(m_config.offline)) {
    if (m_offline && m_config.saveOfflineOnQuit) m_saveOnQuitPath = m_offline->Path();
    m_ctx.prompts = m_config.prompts;
    m_ctx.defaults = m_config.defaults;
    m_ctx.countryCode = m_config.countryCode;
    m_ctx.resourceDir = m_config.resourceDir;
    // udev announces only real devices; an emulated one is looked for.
    m_pump = new HidPump(!m_config.emulated, this);
    m_events = new DeviceEvents(this);
    m_pump->SetEvents(m_events);
    m_ctx.deviceEvents = m_events;
#ifdef KELVADECK_HAVE_FOCUS
    if (m_config.followFocusRules) {
        m_focus = new FocusFollower(m_config.followFocusRules->empty() ? AppModeRules::DefaultPath() : *m_config.followFocusRules,
                                    m_config.focusWatchers, this);
        connect(m_events, &DeviceEvents::changed, m_focus, &FocusFollower::DeviceChanged);
    }
#endif
    UseBackend();
    // The window and its main screen exist before the data manager, as the
    // toolkit loads them before launching has finished.
    m_window = std::make_unique<MainWindow>(m_ctx);
    m_menu = new MainMenu(*this, *m_window, m_config.language);
    // Following the focus with the window closed: from the system tray.
    if (m_focus) {
        m_tray = new TrayPresence(*m_window, m_config.defaults, m_menu->Strings(),
                                  [this] { EditAppModes(m_menu->Strings(), m_window.get()); }, this);
    }
    // The picture at its own size, until the window is made smaller.
    m_window->resize(m_window->sizeHint());
}

AppDelegate::~AppDelegate() { applicationWillTerminate(); }

void AppDelegate::UseBackend() {
    if (m_offline) {
        m_backend = std::make_shared<QtHidBackend>(m_offline->Backend(), *m_pump);
        m_ctx.hotplugEvents = false;
        m_ctx.emulated = true;
        NoteOfflineFile();
    } else {
        m_backend = std::make_shared<QtHidBackend>(m_config.backend, *m_pump);
        m_ctx.hotplugEvents = m_pump->HotplugEvents();
        m_ctx.emulated = m_config.emulated;
        m_ctx.emulatorImage = m_config.emulatorImage;
        m_ctx.savedOnRequest = false;
    }
}

void AppDelegate::NoteOfflineFile() {
    m_ctx.emulatorImage = m_offline->Path();
    m_ctx.savedOnRequest = m_offline->Path() != m_saveOnQuitPath;
}

void AppDelegate::applicationDidFinishLaunching() {
    if (g_pDM) return;
    DataManager::Options options;
    options.language = m_config.language;
    options.resourceDir = m_config.resourceDir;
    options.defaults = m_config.defaults;
    options.logger = m_config.logger;
    options.hidBackend = m_backend;
    g_pDM = std::make_unique<DataManager>(std::move(options));
    if (m_config.retryPolicy) g_pDM->pUSBHID().SetRetryPolicy(*m_config.retryPolicy);
    if (!m_offline) g_pDM->pUSBHID().SetDeviceChoice(m_config.deviceChoice);
    m_pump->SetTransport(&g_pDM->pUSBHID());
    m_ctx.pDM = g_pDM.get();
    m_window->windowDidLoad();
    m_window->Top().InitControl();
    m_menu->UpdateActions();
    // An opened file is edited, not followed.
    if (m_focus) m_focus->SetDataManager(m_offline ? nullptr : g_pDM.get());
    g_pDM->pUSBHID().DeviceDetected();
}

void AppDelegate::applicationWillTerminate() {
    if (!g_pDM) return;
    // Screens see no data manager from now on; the device's I/O thread stops
    // with the transport.
    m_ctx.pDM = nullptr;
    if (m_focus) m_focus->SetDataManager(nullptr);
    m_pump->SetTransport(nullptr);
    g_pDM->DestroyMember();
    g_pDM.reset();
}

void AppDelegate::Relaunch(std::unique_ptr<OfflineDevice> offline) {
    // The data manager and its I/O thread end before the emulated device they
    // may be talking to goes away.
    applicationWillTerminate();
    m_offline = std::move(offline);
    UseBackend();
    applicationDidFinishLaunching();
}

bool AppDelegate::OpenBackup(const std::string& path, std::string& error) {
    std::unique_ptr<OfflineDevice> offline;
    if (m_offline && m_offline->Holds(path)) {
        // The open file again (to drop its edits): it is locked by us already.
        if (!SaveOfflineOnQuit(error)) return false;
        offline = m_offline->Reopen(error);
        if (!offline) return false;
    } else {
        offline = OfflineDevice::Open(path, false, error);
        if (!offline) return false;
        // The image of `--emulator=FILE` is kept when it is left, as it
        // would be at the end of the program.
        if (!SaveOfflineOnQuit(error)) return false;
    }
    Relaunch(std::move(offline));
    return true;
}

bool AppDelegate::UseConnectedDevice(std::string& error) {
    if (!SaveOfflineOnQuit(error)) return false;
    Relaunch(nullptr);
    return true;
}

bool AppDelegate::SaveOffline(std::string& error) {
    if (!m_offline) {
        error = "No file is open";
        return false;
    }
    return m_offline->Save(error);
}

bool AppDelegate::SaveOfflineAs(const std::string& path, std::string& error) {
    if (!m_offline) {
        error = "No file is open";
        return false;
    }
    if (!m_offline->SaveAs(path, error)) return false;
    NoteOfflineFile();
    m_window->windowDidLoad();
    return true;
}

bool AppDelegate::HasUnsavedOfflineChanges() const {
    // A blank emulated device without a file is a sandbox: nothing to keep.
    if (!m_offline || m_offline->Path().empty() || !m_offline->IsModified()) return false;
    return m_offline->Path() != m_saveOnQuitPath;
}

bool AppDelegate::SaveOfflineOnQuit(std::string& error) {
    if (!m_offline || m_saveOnQuitPath.empty() || m_offline->Path() != m_saveOnQuitPath) return true;
    // An unchanged image is not written: a read-only one works too.
    if (!m_offline->IsModified()) return true;
    return m_offline->Save(error);
}

bool AppDelegate::StartsInTray() const { return m_tray != nullptr && m_tray->Enabled() && TrayPresence::Available(); }

std::string AppDelegate::AppModeRulesPath() const {
    return m_config.followFocusRules && !m_config.followFocusRules->empty() ? *m_config.followFocusRules : AppModeRules::DefaultPath();
}

void AppDelegate::EditAppModes([[maybe_unused]] const StringTable& strings, [[maybe_unused]] QWidget* parent) {
#ifdef KELVADECK_HAVE_FOCUS
    if (m_focus == nullptr) return;
    QString status;
    if (!m_focus->Desktop().empty()) {
        status = Q(strings.Get("APP_MODES_FOLLOWING")).arg(Q(m_focus->Desktop()));
    } else if (m_focus->Rules() == AppModeRules{}) {
        status = Q(strings.Get("APP_MODES_NO_RULES"));
    } else {
        status = Q(strings.Get("APP_MODES_NOT_FOLLOWING")).arg(Q(m_focus->WhyNot()));
    }
    // To pick from: what had the focus lately, then what is installed.
    std::vector<std::string> suggestions = m_focus->RecentApplications();
    for (const InstalledApplications::Application& app : InstalledApplications::List(InstalledApplications::DataFolders())) {
        for (const std::string& name : {app.id, app.wmClass}) {
            if (!name.empty() && std::find(suggestions.begin(), suggestions.end(), name) == suggestions.end()) suggestions.push_back(name);
        }
    }
    const Autostart autostart;
    AppModeRulesDialog::Presence presence;
    presence.trayAvailable = m_tray != nullptr && TrayPresence::Available();
    presence.inTray = m_tray != nullptr && m_tray->Enabled();
    presence.atLogin = autostart.Enabled();
    AppModeRulesDialog dialog(
        strings, m_focus->Rules(), status, suggestions,
        [this](const AppModeRules& rules, std::string& error) { return m_focus->SaveRules(rules, error); }, presence, parent);
    if (dialog.exec() != QDialog::Accepted || !presence.trayAvailable) return;
    const AppModeRulesDialog::Presence chosen = dialog.EditedPresence();
    m_tray->SetEnabled(chosen.inTray);
    std::string error;
    if (chosen.atLogin != presence.atLogin && !autostart.Set(chosen.atLogin, error) && m_ctx.prompts != nullptr) {
        m_ctx.prompts->ShowError(TextTemplate::Fill(strings.Get("AUTOSTART_FAILED"), {autostart.Path()}), error);
    }
#endif
}

}  // namespace kelvadeck
