#include "app/FocusFollower.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <algorithm>

#include "core/DataManager.h"
#include "core/ModeFollower.h"
#include "device/USBHidManager.h"
#include "focus/FocusWatcher.h"
#include "focus/FocusWatchers.h"

namespace kelvadeck {

namespace {
constexpr size_t kRecentApplications = 12;
}

FocusFollower::FocusFollower(std::string rulesPath, WatcherFactory factory, QObject* parent)
    : QObject(parent), m_file(std::move(rulesPath)), m_factory(std::move(factory)) {
    if (!m_factory) m_factory = [](std::string& why) { return FocusWatchers::StartFirst(why); };
    // The folder is watched rather than the file: the file is replaced whole
    // when it is saved, and may not exist yet.
    const QString folder = QFileInfo(QString::fromStdString(m_file.Path())).absolutePath();
    QDir().mkpath(folder);
    m_fileWatcher = new QFileSystemWatcher(QStringList{folder}, this);
    connect(m_fileWatcher, &QFileSystemWatcher::directoryChanged, this, [this] { ReloadRules(); });
    ReloadRules();
}

FocusFollower::~FocusFollower() = default;

void FocusFollower::SetDataManager(DataManager* dm) {
    m_dm = dm;
    m_follower.reset();
    if (dm != nullptr) {
        m_follower = std::make_unique<ModeFollower>(*dm);
        m_follower->SetRules(m_rules);
    }
}

void FocusFollower::DeviceChanged() {
    if (m_follower && m_dm && !m_dm->pUSBHID().IsJobRunning()) m_follower->Reapply();
}

bool FocusFollower::SaveRules(const AppModeRules& rules, std::string& error) {
    if (!rules.Save(m_file.Path(), error)) return false;
    ReloadRules();
    return true;
}

std::string FocusFollower::Desktop() const { return m_watcher ? m_watcher->Name() : std::string(); }

void FocusFollower::ReloadRules() {
    std::string error;
    if (!m_file.Refresh(m_rules, error)) {
        if (!error.empty()) {
            m_whyNot = error;
            emit stateChanged();
        }
        return;
    }
    if (m_follower) {
        m_follower->SetRules(m_rules);
        DeviceChanged();
    }
    UpdateWatcher();
    emit stateChanged();
}

void FocusFollower::UpdateWatcher() {
    const bool wanted = !m_rules.rules.empty() || m_rules.fallback.has_value();
    if (!wanted) {
        delete m_notifier;
        m_notifier = nullptr;
        m_watcher.reset();
        m_whyNot = "no rules";
        return;
    }
    if (m_watcher) return;
    m_watcher = m_factory(m_whyNot);
    if (!m_watcher) return;
    m_whyNot.clear();
    m_notifier = new QSocketNotifier(m_watcher->Fd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { OnFocusEvent(); });
    if (const std::optional<FocusedWindow> now = m_watcher->Current(); now && m_follower) m_follower->FocusChanged(now->names);
}

void FocusFollower::OnFocusEvent() {
    bool ok = true;
    const std::optional<FocusedWindow> focused = m_watcher->Dispatch(ok);
    if (!ok) {
        // The desktop stopped telling (its shell restarted, the extension was
        // switched off): said in the rules editor; tried again at the next
        // change of the rules.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
        m_whyNot = m_watcher->Name() + " stopped telling which window has the focus";
        m_watcher.reset();
        emit stateChanged();
        return;
    }
    if (!focused) return;
    if (!focused->names.empty()) {
        std::erase(m_recent, focused->names.front());
        m_recent.insert(m_recent.begin(), focused->names.front());
        if (m_recent.size() > kRecentApplications) m_recent.resize(kRecentApplications);
    }
    if (m_follower) m_follower->FocusChanged(focused->names);
}

}  // namespace kelvadeck
