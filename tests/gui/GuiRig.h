#pragma once

#include <QApplication>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedUserPrompts.h"
#include "app/AppDelegate.h"
#include "core/DataManager.h"
#include "app/MainWindow.h"
#include "core/MemoryUserDefaults.h"
#include "emulator/EmulatedKelvadeck.h"
#include "emulator/EmulatorBackend.h"
#include "screens/TopVC.h"

namespace kelvadeck::guitest {

// The desktop application around an emulated Kelvadeck, as the tests use it:
// the real delegate, window, screens and HID delivery thread; scripted
// prompts and in-memory user defaults.
// A whole file as bytes (empty when it cannot be read), and bytes as a whole file.
std::vector<uint8_t> ReadAll(const std::filesystem::path& p);
void WriteAll(const std::filesystem::path& p, const std::vector<uint8_t>& bytes);

class GuiRig {
public:
    struct Setup {
        EmulatorKnobs knobs;
        std::string countryCode = "US";
        std::string language;  // of the interface: "" (English), "ja", ...
        // Flash contents at start; empty: erased.
        std::vector<uint8_t> image;
        bool plugged = true;
        // Where the device is looked for instead of the emulator (null: the emulator).
        std::shared_ptr<HidBackend> backend;
        // Start on this image file as `kelvadeck --emulator=FILE` does.
        std::string emulatorFile;
        // Treat the emulated device as a real one: arrivals and removals are
        // to come from udev (the test announces them), not from looking.
        bool asRealDevice = false;
        // Follow the focus with the rules of this file, watched by focusWatchers.
        std::optional<std::string> followFocusRules;
        std::function<std::unique_ptr<FocusWatcher>(std::string& why)> focusWatchers;
    };

    GuiRig();
    explicit GuiRig(Setup setup);
    ~GuiRig();

    // Launching has finished; waits for the boot job and the first redraw
    // when a device is plugged in.
    void Launch();

    EmulatedKelvadeck device;
    std::shared_ptr<EmulatorBackend> backend;
    MemoryUserDefaults defaults;
    ScriptedUserPrompts prompts;
    std::vector<std::string> log;
    // The lines a default log keeps (info and above).
    std::vector<std::string> logged;

    AppDelegate& App() { return *m_app; }
    DataManager& Dm() { return *m_app->pDM(); }
    MainWindow& Window() { return m_app->Window(); }
    TopVC& Top() { return m_app->Window().Top(); }

    // A widget (or other object) of the window or a screen opened from it.
    template <typename T>
    T* Find(const QString& name) {
        return Window().findChild<T*>(name);
    }
    // Processes events until pred holds (true) or the time is up (false).
    static bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 20000);
    // Processes events for a while, letting the screens' timers run.
    static void Settle(int ms = 450);
    // Escape pressed on a screen, its question about unsaved edits to be
    // answered with choice.
    void PressEscape(QWidget* screen, UserPrompts::SaveChoice choice);
    // No job running and its end seen by a screen; then settles.
    bool WaitIdle(int timeoutMs = 60000);
    // The whole emulated flash.
    std::vector<uint8_t> Flash() const;
    bool LogHas(const std::string& line) const;

private:
    std::unique_ptr<AppDelegate> m_app;
    bool m_onEmulator = true;
};

}  // namespace kelvadeck::guitest
