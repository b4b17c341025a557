#include "GuiRig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QThread>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "device/USBHidManager.h"

namespace kelvadeck::guitest {

namespace {

EmulatorKnobs WithBlockingReads(EmulatorKnobs knobs) {
    // The I/O thread blocks in its reads, as on hardware.
    knobs.readsWaitForAnswer = true;
    return knobs;
}

}  // namespace

GuiRig::GuiRig() : GuiRig(Setup{}) {}

GuiRig::GuiRig(Setup setup) : device(WithBlockingReads(setup.knobs)) {
    if (!setup.image.empty()) {
        if (!device.Flash().Overwrite(0, setup.image)) throw std::runtime_error("bad test image");
    }
    if (!setup.plugged) device.Unplug();
    backend = std::make_shared<EmulatorBackend>(device);
    AppDelegate::Config config;
    m_onEmulator = setup.backend == nullptr;
    config.backend = m_onEmulator ? std::shared_ptr<HidBackend>(backend) : setup.backend;
    config.defaults = &defaults;
    config.prompts = &prompts;
    config.logger = Logger([this](Logger::Level level, const std::string& line) {
        log.push_back(line);
        if (level >= Logger::Level::Info) logged.push_back(line);
    });
    config.countryCode = setup.countryCode;
    config.language = setup.language;
    config.resourceDir = KELVADECK_BUILD_RESOURCE_DIR;
    config.emulated = !setup.asRealDevice;
    config.emulatorImage = "/tmp/test-emulator.mbf";
    config.followFocusRules = setup.followFocusRules;
    config.focusWatchers = setup.focusWatchers;
    if (!setup.emulatorFile.empty()) {
        std::string error;
        config.offline = OfflineDevice::Open(setup.emulatorFile, true, error);
        if (!config.offline) throw std::runtime_error(error);
        config.saveOfflineOnQuit = true;
    }
    m_app = std::make_unique<AppDelegate>(std::move(config));
    m_app->Window().show();
}

std::vector<uint8_t> ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

GuiRig::~GuiRig() {
    m_app.reset();
    // Deferred deletions of closed screens.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void GuiRig::PressEscape(QWidget* screen, UserPrompts::SaveChoice choice) {
    prompts.saveChoices.push_back(choice);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(screen, &escape);
}

void GuiRig::Launch() {
    m_app->applicationDidFinishLaunching();
    if (m_onEmulator && device.IsPlugged()) {
        PumpUntil([this] { return Dm().bDataInitialize() && !Dm().bDataUpdate() && !Dm().pUSBHID().IsJobRunning(); });
    }
    Settle();
}

bool GuiRig::PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return true;
}

void GuiRig::Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(2);
    }
}

bool GuiRig::WaitIdle(int timeoutMs) {
    const bool idle = PumpUntil([this] { return !Dm().pUSBHID().IsJobRunning() && !Dm().bDataUpdate(); }, timeoutMs);
    Settle();
    return idle;
}

std::vector<uint8_t> GuiRig::Flash() const {
    const auto bytes = device.Flash().Bytes();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool GuiRig::LogHas(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }

}  // namespace kelvadeck::guitest
