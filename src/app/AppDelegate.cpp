#include "app/AppDelegate.h"

#include "app/DataManager.h"
#include "app/HidPump.h"
#include "app/MainWindow.h"
#include "app/QtHidBackend.h"
#include "screens/TopVC.h"

namespace kelvadeck {

AppDelegate::AppDelegate(Config config, QObject* parent) : QObject(parent), m_config(std::move(config)) {
    m_ctx.prompts = m_config.prompts;
    m_ctx.defaults = m_config.defaults;
    m_ctx.countryCode = m_config.countryCode;
    m_ctx.resourceDir = m_config.resourceDir;
    m_ctx.emulated = m_config.emulated;
    m_ctx.emulatorImage = m_config.emulatorImage;
    m_pump = new HidPump(this);
    m_backend = std::make_shared<QtHidBackend>(m_config.backend, *m_pump);
    // The window and its main screen exist before the data manager, as the
    // toolkit loads them before launching has finished.
    m_window = std::make_unique<MainWindow>(m_ctx);
}

AppDelegate::~AppDelegate() { applicationWillTerminate(); }

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
    m_pump->SetTransport(&g_pDM->pUSBHID());
    m_ctx.pDM = g_pDM.get();
    m_window->windowDidLoad();
    m_window->Top().InitControl();
    g_pDM->pUSBHID().DeviceDetected();
}

void AppDelegate::applicationWillTerminate() {
    if (!g_pDM) return;
    // Screens see no data manager from now on; the device's I/O thread stops
    // with the transport.
    m_ctx.pDM = nullptr;
    m_pump->SetTransport(nullptr);
    g_pDM->DestroyMember();
    g_pDM.reset();
}

}  // namespace kelvadeck
