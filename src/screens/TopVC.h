#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "screens/ScreenContext.h"
#include "screens/ScreenJob.h"

class QDialog;
class QFrame;
class QLabel;
class QPushButton;

namespace kelvadeck {

class ElidedLabel;

// The main screen: a picture of the Kelvadeck for one mode at a time. The
// three modes sit above the device as tabs with their LED colours; on the
// device the ten keys and the dial, with the LED ring around the dial, the
// dial's four functions around the ring and the push switch in its middle,
// each with what it is assigned to. Clicking a part opens the screen that
// edits it. The screen also notices the device's arrival and removal and the
// end of each job while no other screen is open.
class TopVC : public QWidget {
    Q_OBJECT
public:
    // Canvas of the device picture.
    static constexpr int CANVAS_WIDTH = 1240;
    static constexpr int CANVAS_HEIGHT = 650;
    // The picture fills the screen's room, drawn no smaller than this.
    static constexpr double MIN_SCALE = 0.7;

    explicit TopVC(ScreenContext& context, QWidget* parent = nullptr);
    ~TopVC() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The picture's size against the canvas.
    double Scale() const { return m_scale; }

    void InitControl();
    void BlockedControl(bool block);
    // The controls are blocked: no device, or a job is running.
    bool IsBlocked() const { return m_bBlocked; }
    // Starts the queued job as one of the main screen's own: the controls
    // are blocked until it ends, a failure is shown under the name jobKey
    // ("JOB_NAME_...") and then onEnd gets the result. False (the queue
    // emptied) when no device is there or another job is still running.
    bool StartJob(const std::string& jobKey, std::function<void(const ComResult&)> onEnd);
    // The same for a job that has been started already.
    void WatchJob(const std::string& jobKey, std::function<void(const ComResult&)> onEnd);
    bool IsTimerRunning() const { return m_job->IsTimerRunning(); }
    // Redraws everything from the model.
    void RenewUI();
    // Makes the mode of the tag (0 to 2) the current one and marks its tab.
    uint8_t ChangeProfileSelect(long tag);

    // The screen opened from here, while it is open.
    QDialog* CurrentScreen() const { return m_screen.data(); }
    void OpenSettingScreen();
    // tag 1 to 3: a mode's colour; 4 to 7: a dial function's colour.
    void OpenLedColorScreen(long tag);
    // button 0 to 10: the switch function screen for that switch.
    void OpenSwitchFuncScreen(long button);
    // func 0 to 3: the dial function screen for that function of the current mode.
    void OpenDialFuncScreen(long func);
    void OpenMacroEditor();
    void OpenDialMacroEditor();

signals:
    void screenOpened(QDialog* screen);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    QPushButton* OverlayButton(QWidget* parent, const QString& name, long tag, const QRect& geometry);
    template <typename T = QLabel>
    T* Label(QWidget* parent, const QString& name, const QRect& geometry);
    // The controls lie on the canvas (a frame's children within their
    // frame): w goes to its canvas place at the current scale, and there
    // again when the scale changes.
    void Place(QWidget* w, const QRect& onCanvas);
    // A type size of the canvas, at the current scale.
    void SetPointSize(QWidget* w, int points);
    // A round part in a colour: the swatches and the LED ring.
    void SetRoundColor(QFrame* f, const QColor& c);
    // The controls at the scale that fits the screen's room.
    void Rescale();
    // The command buttons at least as wide as their text.
    void FitCommands();
    void ShowConnectionState();
    void ConnectionChanged(bool connected);
    // Every tick: the device looked for while there is none, the settings
    // shown before the boot read ends, the outcome of a screen's job.
    void WatchDevice();
    // A screen opened from here is finished.
    void Resume();
    void Follow(uint8_t state, const std::string& jobKey, std::function<void(const ComResult&)> onEnd, bool blocking);
    void ShowJobEnd(const std::string& jobKey, const ComResult& result);
    void ShowEmptyModel();
    void ShowScreen(QDialog* screen);
    void ClickProfileSelect();
    void ClickColorSelect();
    void ClickDialFuncSelect();
    void ClickSwitchFuncSelect();
    void ClickHelp();

    // The jobs the screen follows: the boot read after an arrival, and the
    // menus' jobs started through StartJob or WatchJob.
    static constexpr uint8_t JOB_BOOT = 1;
    static constexpr uint8_t JOB_MENU = 2;

    ScreenContext& m_ctx;
    ScreenJob* m_job = nullptr;
    QPointer<QDialog> m_screen;
    bool m_bBlocked = true;
    // Jobs of the transport whose end this screen has taken note of.
    uint64_t m_nJobsSeen = 0;
    // The canvas at this scale, centred: its upper left corner.
    double m_scale = 1.0;
    QPoint m_origin;

    long lCurrentSelectColorView = 0;
    long lCurrentSelectDialFuncID = 0;
    long lCurrentSelectSwitchFuncID = 0;

    std::array<QFrame*, 3> m_cvProfileNameArea{};
    std::array<QLabel*, 3> m_lblProfileName{};
    std::array<QFrame*, 3> m_cvProfileColor{};
    std::array<QFrame*, 3> m_cvUnderBar{};
    std::array<QPushButton*, 3> m_btnProfileSelect{};
    std::array<QPushButton*, 3> m_btnProfileColorSelect{};
    std::array<QFrame*, 4> m_cvDialFuncBox{};
    std::array<ElidedLabel*, 4> m_lblDialFuncName{};
    std::array<QFrame*, 4> m_cvDialFuncColor{};
    std::array<QPushButton*, 4> m_btnDialFuncSelect{};
    std::array<QPushButton*, 4> m_btnDialFuncColorSelect{};
    std::array<QFrame*, 11> m_cvSwichFuncBox{};
    std::array<ElidedLabel*, 11> m_lblSwitchFuncName{};
    // The keys a key assignment presses, large on the key (keys 1 to 10).
    std::array<QLabel*, 10> m_lblKeyCombination{};
    std::array<QPushButton*, 11> m_btnSwitchFuncSelect{};
    QFrame* m_cvLEDColorPreviewArea = nullptr;
    QPushButton* m_btnSetting = nullptr;
    QPushButton* m_btnEditMacro = nullptr;
    QPushButton* m_btnEditDialMacro = nullptr;
    QPushButton* m_btnHelp = nullptr;
    QLabel* m_lblUSBStatusTitle = nullptr;
    QLabel* m_lblUSBStatus = nullptr;
    QLabel* m_lblFirmwareVer = nullptr;
    QLabel* m_lblStatusDetail = nullptr;
    QLabel* m_lblJobMessage = nullptr;
};

}  // namespace kelvadeck
