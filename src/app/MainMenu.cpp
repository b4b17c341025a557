#include "app/MainMenu.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "app/AppDelegate.h"
#include "core/DataManager.h"
#include "app/MainWindow.h"
#include "screens/DeviceEvents.h"
#include "core/WriteHistory.h"
#include "device/ComResult.h"
#include "device/USBHidManager.h"
#include "export/LayoutLibrary.h"
#include "export/ModeLayout.h"
#include "export/SettingsJsonTransfer.h"
#include "model/Constants.h"
#include "screenlogic/JobMessage.h"
#include "screenlogic/ChangeName.h"
#include "screenlogic/TextTemplate.h"
#include "screens/ApplyLayoutDialog.h"
#include "screens/HelpLauncher.h"
#include "screens/TopVC.h"
#include "screens/UserPrompts.h"

namespace kelvadeck {

namespace {

using C = Constants;

constexpr const char* JSON_EXTENSION = "json";
// Problems listed in the message of a refused document; the rest are counted.
constexpr size_t SHOWN_PROBLEMS = 12;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// "settings", "macro scripts" or both, and the time of day of the change.
std::string ChangeWhat(const WriteHistory::Change& change, const StringTable& s) {
    const bool scripts = change.ScriptDirectory() || !change.ScriptSectors().empty();
    if (change.Settings() && scripts) return s.Get("UNDO_WHAT_BOTH");
    return s.Get(change.Settings() ? "UNDO_WHAT_SETTINGS" : "UNDO_WHAT_SCRIPTS");
}

// "Dial Function 2 of Mode 1" when the change was of that one part; empty otherwise.
std::string ChangePart(const WriteHistory::Change& change, DataManager& dm) {
    const std::vector<uint8_t>* before = dm.History().NewestBeforeImage(0);
    return ChangeName::Describe(change.sectors, before ? before->data() : nullptr, dm.SectorBuffer(0), dm.Strings());
}

std::string ChangeTime(const WriteHistory::Change& change) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(change.time.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss")).toStdString();
}


}  // namespace

MainMenu::MainMenu(AppDelegate& app, MainWindow& window, const std::string& language)
    : QObject(&window), m_app(app), m_window(window), m_strings(language) {
    const StringTable& s = Strings();
    QMenuBar* bar = window.menuBar();

    QMenu* file = bar->addMenu(Q(s.Get("MENU_FILE")));
    file->setObjectName(QStringLiteral("menuFile"));
    AddAction(file, "actOpenBackup", "MENU_OPEN_BACKUP", &MainMenu::OpenBackup)->setShortcut(QKeySequence::Open);
    AddAction(file, "actSave", "MENU_SAVE", &MainMenu::Save)->setShortcut(QKeySequence::Save);
    AddAction(file, "actSaveAs", "MENU_SAVE_AS", &MainMenu::SaveAs)->setShortcut(QKeySequence::SaveAs);
    AddAction(file, "actUseDevice", "MENU_USE_DEVICE", &MainMenu::UseConnectedDevice);
    file->addSeparator();
    AddAction(file, "actExportJson", "MENU_EXPORT_JSON", &MainMenu::ExportJson);
    AddAction(file, "actImportJson", "MENU_IMPORT_JSON", &MainMenu::ImportJson);
    AddAction(file, "actApplyLayout", "MENU_APPLY_LAYOUT", &MainMenu::ApplyLayout);
    file->addSeparator();
    QAction* quit = AddAction(file, "actQuit", "MENU_QUIT", nullptr);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, &window, &QWidget::close);

    QMenu* edit = bar->addMenu(Q(s.Get("MENU_EDIT")));
    edit->setObjectName(QStringLiteral("menuEdit"));
    AddAction(edit, "actUndo", "MENU_UNDO", &MainMenu::UndoLastChange)->setShortcut(QKeySequence::Undo);
    if (m_app.Focus() != nullptr) {
        edit->addSeparator();
        QAction* modes = AddAction(edit, "actAppModes", "MENU_APP_MODES", nullptr);
        connect(modes, &QAction::triggered, this, [this] { m_app.EditAppModes(m_strings, &m_window); });
    }

    QMenu* help = bar->addMenu(Q(s.Get("MENU_HELP")));
    help->setObjectName(QStringLiteral("menuHelp"));
    AddAction(help, "actManual", "MENU_MANUAL", &MainMenu::ShowHelp)->setShortcut(QKeySequence::HelpContents);
    AddAction(help, "actAbout", "MENU_ABOUT", &MainMenu::ShowAbout);

    // Whether a command can run changes with the device and its jobs; the
    // shortcuts must see that as the opened menus do.
    for (QMenu* menu : {file, edit, help}) connect(menu, &QMenu::aboutToShow, this, &MainMenu::UpdateActions);
    if (DeviceEvents* events = m_app.Context().deviceEvents) connect(events, &DeviceEvents::changed, this, &MainMenu::UpdateActions);
    window.SetCloseGuard([this] { return MayClose(); });
    UpdateActions();
}

QAction* MainMenu::AddAction(QMenu* menu, const char* objectName, const char* textKey, void (MainMenu::*slot)()) {
    QAction* action = menu->addAction(Q(Strings().Get(textKey)));
    action->setObjectName(QString::fromLatin1(objectName));
    if (slot != nullptr) connect(action, &QAction::triggered, this, slot);
    return action;
}

QAction* MainMenu::Action(const char* objectName) const {
    return m_window.findChild<QAction*>(QString::fromLatin1(objectName));
}

const StringTable& MainMenu::Strings() const { return m_strings; }

DataManager* MainMenu::Dm() const { return m_app.pDM(); }

void MainMenu::UpdateActions() {
    DataManager* dm = Dm();
    const bool idle = dm && !dm->pUSBHID().IsJobRunning();
    const bool ready = idle && dm->pUSBHID().bConnected() && dm->bDataInitialize();
    OfflineDevice* offline = m_app.Offline();
    m_window.setWindowModified(m_app.HasUnsavedOfflineChanges());
    Action("actSave")->setEnabled(offline != nullptr && idle);
    Action("actSaveAs")->setEnabled(offline != nullptr && idle);
    Action("actUseDevice")->setEnabled(offline != nullptr && idle);
    Action("actOpenBackup")->setEnabled(dm == nullptr || idle);
    Action("actExportJson")->setEnabled(ready);
    Action("actImportJson")->setEnabled(ready);
    Action("actApplyLayout")->setEnabled(ready);
    QAction* undo = Action("actUndo");
    const std::optional<WriteHistory::Change> change = dm ? dm->History().NewestChange() : std::nullopt;
    undo->setEnabled(change && dm->History().CanUndo());
    const StringTable& s = Strings();
    const std::string part = change ? ChangePart(*change, *dm) : std::string();
    if (!part.empty()) {
        undo->setText(Q(TextTemplate::Fill(s.Get("MENU_UNDO_PART"), {part})));
    } else {
        undo->setText(Q(change ? TextTemplate::Fill(s.Get("MENU_UNDO_WHAT"), {ChangeWhat(*change, s), ChangeTime(*change)})
                               : s.Get("MENU_UNDO")));
    }
}

bool MainMenu::BusyWithJob() {
    DataManager* dm = Dm();
    if (dm == nullptr || !dm->pUSBHID().IsJobRunning()) return false;
    if (UserPrompts* prompts = m_app.Context().prompts) {
        prompts->ShowError(std::string(), Strings().Get("JOB_NOT_STARTED_BUSY"));
    }
    return true;
}

bool MainMenu::ReadyForJob() {
    DataManager* dm = Dm();
    if (dm == nullptr || BusyWithJob()) return false;
    if (dm->pUSBHID().bConnected() && dm->bDataInitialize()) return true;
    if (UserPrompts* prompts = m_app.Context().prompts) {
        prompts->ShowError(std::string(), Strings().Get("JOB_NOT_STARTED_NO_DEVICE"));
    }
    return false;
}

void MainMenu::ShowFileError(const char* key, const std::string& path, const std::string& error) {
    if (UserPrompts* prompts = m_app.Context().prompts) prompts->ShowError(TextTemplate::Fill(Strings().Get(key), {path}), error);
}

bool MainMenu::JobFailed(const char* jobKey, const ComResult& result) {
    if (result.Succeeded()) return false;
    if (UserPrompts* prompts = m_app.Context().prompts) {
        prompts->ShowError(std::string(), JobMessage::Failure(jobKey, result, Strings()));
    }
    return true;
}

// Offline editing -----------------------------------------------------------

bool MainMenu::SettleUnsavedChanges() {
    OfflineDevice* offline = m_app.Offline();
    UserPrompts* prompts = m_app.Context().prompts;
    if (!m_app.HasUnsavedOfflineChanges() || prompts == nullptr) return true;
    const StringTable& s = Strings();
    switch (prompts->AskSaveChanges(TextTemplate::Fill(s.Get("OFFLINE_UNSAVED"), {offline->Path()}),
                                    s.Get("OFFLINE_UNSAVED_INFO"))) {
        case UserPrompts::SaveChoice::Discard:
            return true;
        case UserPrompts::SaveChoice::Cancel:
            return false;
        case UserPrompts::SaveChoice::Save:
            break;
    }
    // Saved during a job, the file would hold the flash half way through it.
    if (BusyWithJob()) return false;
    std::string error;
    if (m_app.SaveOffline(error)) return true;
    ShowFileError("OFFLINE_SAVE_FAILED", offline->Path(), error);
    return false;
}

void MainMenu::OpenBackup() {
    UserPrompts* prompts = m_app.Context().prompts;
    if (prompts == nullptr || BusyWithJob() || !SettleUnsavedChanges()) return;
    const std::optional<std::string> path = prompts->ChooseOpenFile(C::BACKUP_FILE_EXTENSION);
    if (!path) return;
    std::string error;
    if (!m_app.OpenBackup(*path, error)) ShowFileError("OFFLINE_OPEN_FAILED", *path, error);
    UpdateActions();
}

void MainMenu::Save() {
    OfflineDevice* offline = m_app.Offline();
    UserPrompts* prompts = m_app.Context().prompts;
    if (offline == nullptr || prompts == nullptr) return;
    if (offline->Path().empty()) {
        SaveAs();
        return;
    }
    // Saved during a job, the file would hold the flash half way through it.
    if (BusyWithJob()) return;
    std::string error;
    if (!m_app.SaveOffline(error)) ShowFileError("OFFLINE_SAVE_FAILED", offline->Path(), error);
    UpdateActions();
}

void MainMenu::SaveAs() {
    OfflineDevice* offline = m_app.Offline();
    UserPrompts* prompts = m_app.Context().prompts;
    if (offline == nullptr || prompts == nullptr || BusyWithJob()) return;
    const std::optional<std::string> path = prompts->ChooseSaveFile(C::BACKUP_FILE_EXTENSION);
    if (!path) return;
    std::string error;
    if (!m_app.SaveOfflineAs(*path, error)) ShowFileError("OFFLINE_SAVE_FAILED", *path, error);
    UpdateActions();
}

void MainMenu::UseConnectedDevice() {
    if (m_app.Offline() == nullptr || BusyWithJob() || !SettleUnsavedChanges()) return;
    const std::string path = m_app.Offline()->Path();
    std::string error;
    if (!m_app.UseConnectedDevice(error)) ShowFileError("OFFLINE_SAVE_FAILED", path, error);
    UpdateActions();
}

bool MainMenu::MayClose() { return SettleUnsavedChanges(); }

// The readable settings document ------------------------------------------

void MainMenu::ExportJson() {
    UserPrompts* prompts = m_app.Context().prompts;
    if (prompts == nullptr || !ReadyForJob()) return;
    const std::optional<std::string> path = prompts->ChooseSaveFile(JSON_EXTENSION);
    if (!path) return;
    DataManager& dm = *Dm();
    // Every script goes into the document: the sectors not read yet are read first.
    if (!SettingsJsonTransfer::QueueUnreadSectors(dm, SettingsJsonTransfer::AllDataSectors())) {
        FinishExport(*path);
        return;
    }
    const std::string target = *path;
    if (!m_window.Top().StartJob("JOB_NAME_SCRIPTS_READ", [this, target](const ComResult& result) {
            if (!JobFailed("JOB_NAME_SCRIPTS_READ", result)) FinishExport(target);
        })) {
        prompts->ShowError(std::string(), Strings().Get("JOB_NOT_STARTED_NO_DEVICE"));
    }
}

void MainMenu::FinishExport(const std::string& path) {
    DataManager* dm = Dm();
    UserPrompts* prompts = m_app.Context().prompts;
    if (dm == nullptr || prompts == nullptr) return;
    const StringTable& s = dm->Strings();
    int failedSector = 0;
    if (!SettingsJsonTransfer::LoadSectors(*dm, SettingsJsonTransfer::AllDataSectors(), failedSector)) {
        prompts->ShowError(TextTemplate::Fill(s.Get("JSON_EXPORT_FAILED"), {path}),
                           TextTemplate::Fill(s.Get("JSON_SECTOR_UNREAD"), {std::to_string(failedSector)}));
        return;
    }
    size_t scripts = 0;
    std::string error;
    if (!SettingsJsonTransfer::WriteDocument(*dm, path, scripts, error)) {
        prompts->ShowError(TextTemplate::Fill(s.Get("JSON_EXPORT_FAILED"), {path}), error);
        return;
    }
    prompts->Notify(s.Get("JSON_EXPORT_DONE"), TextTemplate::Fill(s.Get("JSON_EXPORT_DONE_INFO"), {std::to_string(scripts), path}));
}

void MainMenu::ImportJson() {
    UserPrompts* prompts = m_app.Context().prompts;
    if (prompts == nullptr || !ReadyForJob()) return;
    const std::optional<std::string> path = prompts->ChooseOpenFile(JSON_EXTENSION);
    if (!path) return;
    DataManager& dm = *Dm();
    const StringTable& s = dm.Strings();
    const std::string refused = TextTemplate::Fill(s.Get("JSON_IMPORT_REFUSED"), {*path});
    std::string text;
    std::string error;
    if (!SettingsJsonTransfer::ReadText(*path, text, error)) {
        prompts->ShowError(refused, error);
        return;
    }
    auto plan = std::make_shared<const SettingsJson::Plan>(SettingsJson::Read(text, dm.pKeyCode()));
    if (!plan->ok()) {
        // The whole list would not fit a message box; the first ones tell what kind of file it is.
        std::string list;
        for (size_t i = 0; i < plan->problems.size() && i < SHOWN_PROBLEMS; ++i) {
            list += SettingsJson::Describe(plan->problems[i]) + "\n";
        }
        if (plan->problems.size() > SHOWN_PROBLEMS) {
            list += TextTemplate::Fill(s.Get("JSON_MORE_PROBLEMS"), {std::to_string(plan->problems.size() - SHOWN_PROBLEMS)});
        }
        prompts->ShowError(refused, list);
        return;
    }
    const std::string source = *path;
    const size_t scripts = plan->scripts.size();
    PlanWrite how;
    how.refused = refused;
    how.ask = [this, source, plan] {
        const StringTable& t = Strings();
        std::string question = TextTemplate::Fill(t.Get("JSON_IMPORT_CONFIRM"), {std::to_string(plan->scripts.size())});
        if (plan->firmware) question += "\n" + TextTemplate::Fill(t.Get("JSON_IMPORT_FIRMWARE"), {*plan->firmware});
        UserPrompts* p = m_app.Context().prompts;
        return p != nullptr && p->Ask({TextTemplate::Fill(t.Get("JSON_IMPORT_TITLE"), {source}), question, t.Get("BTN_IMPORT"), true});
    };
    how.jobKey = "JOB_NAME_JSON_IMPORT";
    how.done = [this, source, scripts] {
        if (UserPrompts* p = m_app.Context().prompts) {
            p->Notify(Strings().Get("JSON_IMPORT_DONE"),
                      TextTemplate::Fill(Strings().Get("JSON_IMPORT_DONE_INFO"), {std::to_string(scripts), source}));
        }
    };
    WritePlan(plan, std::make_shared<const PlanWrite>(std::move(how)));
}

void MainMenu::WritePlan(std::shared_ptr<const SettingsJson::Plan> plan, std::shared_ptr<const PlanWrite> how) {
    DataManager& dm = *Dm();
    // Every other script of a rewritten sector must be loaded to be kept.
    if (!SettingsJsonTransfer::QueueUnreadSectors(dm, SettingsJson::ScriptSectors(*plan))) {
        ContinueWritePlan(plan, how);
        return;
    }
    if (!m_window.Top().StartJob("JOB_NAME_SCRIPTS_READ", [this, plan, how](const ComResult& result) {
            if (!JobFailed("JOB_NAME_SCRIPTS_READ", result)) ContinueWritePlan(plan, how);
        })) {
        if (UserPrompts* prompts = m_app.Context().prompts) prompts->ShowError(std::string(), Strings().Get("JOB_NOT_STARTED_NO_DEVICE"));
    }
}

void MainMenu::ContinueWritePlan(std::shared_ptr<const SettingsJson::Plan> plan, std::shared_ptr<const PlanWrite> how) {
    DataManager* dm = Dm();
    UserPrompts* prompts = m_app.Context().prompts;
    if (dm == nullptr || prompts == nullptr) return;
    const StringTable& s = dm->Strings();
    int failedSector = 0;
    if (!SettingsJsonTransfer::LoadSectors(*dm, SettingsJson::ScriptSectors(*plan), failedSector)) {
        prompts->ShowError(how->refused, TextTemplate::Fill(s.Get("JSON_SECTOR_UNREAD"), {std::to_string(failedSector)}));
        return;
    }
    if (how->ask && !how->ask()) return;
    std::string error;
    if (!SettingsJson::Apply(*plan, *dm, error) || !SettingsJsonTransfer::QueueImportWrites(*plan, *dm)) {
        // The model may be half changed: it is decoded again from the buffers.
        dm->DataInitializeFromMemory();
        m_window.Top().RenewUI();
        prompts->ShowError(how->refused, error.empty() ? s.Get("JOB_NOT_STARTED_NO_DEVICE") : error);
        return;
    }
    if (!m_window.Top().StartJob(how->jobKey, [this, how](const ComResult& result) {
            if (!JobFailed(how->jobKey, result) && how->done) how->done();
        })) {
        prompts->ShowError(how->refused, s.Get("JOB_NOT_STARTED_NO_DEVICE"));
    }
}

// Layouts ----------------------------------------------------------------------

void MainMenu::ApplyLayout() {
    UserPrompts* prompts = m_app.Context().prompts;
    if (prompts == nullptr || !ReadyForJob()) return;
    DataManager& dm = *Dm();
    const StringTable& s = dm.Strings();
    const LayoutLibrary library(LayoutLibrary::InstalledDir(m_app.Context().resourceDir), LayoutLibrary::UserDir());
    ApplyLayoutDialog dialog(s, dm.pKeyCode(), library.List(dm.pKeyCode()), dm.g_pSSI.bMode + 1, m_app.Focus() != nullptr, &m_window);
    if (dialog.exec() != QDialog::Accepted || dialog.Chosen() == nullptr) return;
    const LayoutLibrary::Entry entry = *dialog.Chosen();
    const int mode = dialog.Mode();
    const bool follow = dialog.Follow();
    const std::string name = entry.about.name.empty() ? entry.name : entry.about.name;
    const std::string refused = TextTemplate::Fill(s.Get("LAYOUT_REFUSED"), {name});
    // Read again: the file may have changed since the list was made.
    auto layout = std::make_shared<const ModeLayout>(LayoutLibrary::Load(entry.path, dm.pKeyCode()));
    auto plan = std::make_shared<SettingsJson::Plan>();
    std::string error;
    if (!layout->ok()) {
        prompts->ShowError(refused, SettingsJson::Describe(layout->problems.front()));
        return;
    }
    if (!layout->PlanFor(dm, mode - 1, *plan, error)) {
        prompts->ShowError(refused, error);
        return;
    }
    PlanWrite how;
    how.refused = refused;
    how.jobKey = "JOB_NAME_LAYOUT";
    how.done = [this, layout, name, mode, follow] {
        const StringTable& t = Strings();
        std::string info = TextTemplate::Fill(t.Get("LAYOUT_DONE_INFO"), {name, std::to_string(mode)});
        std::string why;
        if (follow && !layout->AddRules(m_app.AppModeRulesPath(), mode, why)) {
            info += "\n" + TextTemplate::Fill(t.Get("LAYOUT_RULE_FAILED"), {why});
        }
        if (UserPrompts* p = m_app.Context().prompts) p->Notify(t.Get("LAYOUT_DONE"), info);
    };
    WritePlan(plan, std::make_shared<const PlanWrite>(std::move(how)));
}

// Undo ------------------------------------------------------------------------

void MainMenu::UndoLastChange() {
    UserPrompts* prompts = m_app.Context().prompts;
    if (prompts == nullptr || !ReadyForJob()) return;
    DataManager& dm = *Dm();
    const StringTable& s = dm.Strings();
    const std::optional<WriteHistory::Change> change = dm.History().NewestChange();
    if (!change) {
        prompts->Notify(s.Get("MENU_UNDO"), s.Get("UNDO_NOTHING"));
        return;
    }
    const std::string part = ChangePart(*change, dm);
    if (!prompts->Ask({part.empty() ? s.Get("UNDO_CONFIRM_TITLE") : TextTemplate::Fill(s.Get("UNDO_CONFIRM_TITLE_PART"), {part}),
                       TextTemplate::Fill(s.Get("UNDO_CONFIRM"), {ChangeWhat(*change, s), ChangeTime(*change)}), s.Get("BTN_UNDO"),
                       false})) {
        return;
    }
    if (!dm.History().StartUndoLastChange()) {
        prompts->ShowError(std::string(), s.Get("JOB_NOT_STARTED_BUSY"));
        return;
    }
    // The model already shows the restored settings; the job puts them on the device.
    m_window.Top().RenewUI();
    m_window.Top().WatchJob("JOB_NAME_UNDO", [this](const ComResult& result) {
        if (JobFailed("JOB_NAME_UNDO", result)) return;
        if (UserPrompts* p = m_app.Context().prompts) p->Notify(Strings().Get("UNDO_DONE"), std::string());
    });
    UpdateActions();
}

// Help ----------------------------------------------------------------------

void MainMenu::ShowHelp() { HelpLauncher::Open(m_app.Context()); }

void MainMenu::ShowAbout() {
    UserPrompts* prompts = m_app.Context().prompts;
    if (prompts == nullptr) return;
    const StringTable& s = Strings();
    prompts->Notify(s.Get("APPLICATION_NAME") + " " + KELVADECK_VERSION, s.Get("ABOUT_TEXT"));
}

}  // namespace kelvadeck
