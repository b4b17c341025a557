#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "export/SettingsJson.h"
#include "model/StringTable.h"

class QAction;
class QMenu;

namespace kelvadeck {

class AppDelegate;
class DataManager;
class MainWindow;
struct ComResult;

// The main window's menu bar and what its commands do.
//   File: open a backup file and edit it offline on the emulated Kelvadeck,
//         save it (or under another name), go back to the connected device,
//         export the settings and scripts as a readable JSON document and
//         import one, quit.
//   Edit: undo the last change written to the device.
//   Help: the manual and what this program is.
// Commands that talk to the device run as jobs of the main screen, one at a
// time; each ends with a message that says what was done or what went wrong.
class MainMenu : public QObject {
    Q_OBJECT
public:
    // language: of the menu texts, as the data manager's ("ja...": Japanese).
    MainMenu(AppDelegate& app, MainWindow& window, const std::string& language);

    // Enables the commands that can run now (called whenever a menu opens).
    void UpdateActions();

    void OpenBackup();
    void Save();
    void SaveAs();
    void UseConnectedDevice();
    void ExportJson();
    void ImportJson();
    // File > Apply Layout…: a ready layout (or the user's own) into one mode.
    void ApplyLayout();
    void UndoLastChange();
    void ShowHelp();
    void ShowAbout();
    // Asked before the window closes: false keeps it open (the user cancelled,
    // or saving the opened file failed).
    bool MayClose();

    QAction* Action(const char* objectName) const;
    // The menus' texts, in the user's language.
    const StringTable& Strings() const;

private:
    QAction* AddAction(QMenu* menu, const char* objectName, const char* textKey, void (MainMenu::*slot)());
    // A device job is running (the user is told to wait for it).
    bool BusyWithJob();
    // No device job is running and a device (or file) is there to talk to;
    // otherwise tells the user why not.
    bool ReadyForJob();
    // "<what failed for path>" with the reason underneath.
    void ShowFileError(const char* key, const std::string& path, const std::string& error);
    // Whether an opened file's unsaved changes may be left: saved or
    // discarded (true), or the user cancelled (false).
    bool SettleUnsavedChanges();
    void FinishExport(const std::string& path);
    // How a settings plan is written: what the user is told when it cannot
    // be, the question before it (none: asked already), the job's name, and
    // what follows its success.
    struct PlanWrite {
        std::string refused;
        std::function<bool()> ask;
        const char* jobKey = "";
        std::function<void()> done;
    };
    // Reads the script sectors the plan rewrites (their other scripts are
    // kept), asks, and writes it as one settings write (Edit > Undo reverts it).
    void WritePlan(std::shared_ptr<const SettingsJson::Plan> plan, std::shared_ptr<const PlanWrite> how);
    void ContinueWritePlan(std::shared_ptr<const SettingsJson::Plan> plan, std::shared_ptr<const PlanWrite> how);
    bool JobFailed(const char* jobKey, const ComResult& result);
    DataManager* Dm() const;

    AppDelegate& m_app;
    MainWindow& m_window;
    // The menus exist before the data manager and its table.
    StringTable m_strings;
};

}  // namespace kelvadeck
