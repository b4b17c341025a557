#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "core/AppModeRules.h"
#include "core/AppModeRulesFile.h"

class QFileSystemWatcher;
class QSocketNotifier;

namespace kelvadeck {

class DataManager;
class FocusWatcher;
class ModeFollower;

// The desktop application's side of the modes that follow the focused
// application: while it runs it has the device, so it follows the focus
// itself, as `kelvadeck-cli follow-focus` does without it. The rules file is
// watched (inotify) and read again when it changes; the desktop's focus
// watcher is started only while the rules ask for anything, and its events
// arrive through a socket notifier: nothing polls.
class FocusFollower : public QObject {
    Q_OBJECT
public:
    // Starts a focus watcher for this desktop, or null with the reason.
    using WatcherFactory = std::function<std::unique_ptr<FocusWatcher>(std::string& why)>;

    // factory: null for the first watcher that works on this desktop.
    FocusFollower(std::string rulesPath, WatcherFactory factory, QObject* parent = nullptr);
    ~FocusFollower() override;

    // The device's data manager; null while there is none, or while a file
    // rather than the device is edited.
    void SetDataManager(DataManager* dm);
    // Something about the device or its jobs changed: a job that ended may
    // have put the device back into its first mode.
    void DeviceChanged();

    const AppModeRules& Rules() const { return m_rules; }
    // Replaces the rules and writes them to the file (the desktop's editor).
    bool SaveRules(const AppModeRules& rules, std::string& error);
    // Following: the desktop kind ("X11", "KWin" ...). Not following: empty,
    // and WhyNot() says why (no rules, or no watcher for this desktop).
    std::string Desktop() const;
    const std::string& WhyNot() const { return m_whyNot; }
    // The applications seen with the focus since the start, newest first.
    const std::vector<std::string>& RecentApplications() const { return m_recent; }

signals:
    // The state shown to the user changed (following or not, rules).
    void stateChanged();

private:
    void ReloadRules();
    void UpdateWatcher();
    void OnFocusEvent();

    AppModeRulesFile m_file;
    WatcherFactory m_factory;
    AppModeRules m_rules;
    DataManager* m_dm = nullptr;
    std::unique_ptr<ModeFollower> m_follower;
    std::unique_ptr<FocusWatcher> m_watcher;
    QSocketNotifier* m_notifier = nullptr;
    QFileSystemWatcher* m_fileWatcher = nullptr;
    std::string m_whyNot;
    std::vector<std::string> m_recent;
};

}  // namespace kelvadeck
