#include "screens/TopVC.h"

#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "model/Constants.h"
#include "screenlogic/JobMessage.h"
#include "screenlogic/LedColorTarget.h"
#include "screenlogic/TopScreenText.h"
#include "screens/DevicePicture.h"
#include "screens/DialFuncSettingVC.h"
#include "screens/ElidedLabel.h"
#include "screens/EditDialMacroVC.h"
#include "screens/EditMacroVC.h"
#include "screens/HelpLauncher.h"
#include "screens/LEDColorSettingVC.h"
#include "screens/QtText.h"
#include "screens/SettingVC.h"
#include "screens/SwichFuncSettingVC.h"

namespace kelvadeck {

namespace {

using C = Constants;
using D = DevicePicture;

QColor DisplayColor(const Utility& utl, uint8_t r, uint8_t g, uint8_t b) {
    double dr = 0, dg = 0, db = 0;
    utl.FlashRGB_to_uiRGB(r, g, b, dr, dg, db);
    return QColor::fromRgbF(static_cast<float>(dr), static_cast<float>(dg), static_cast<float>(db), 1.0f);
}

}  // namespace

TopVC::TopVC(ScreenContext& context, QWidget* parent) : QWidget(parent), m_ctx(context) {
    setObjectName(QStringLiteral("TopVC"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(D::ScreenStyle());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // The canvas at its own size until the window gives the screen its room.
    resize(TopVC::sizeHint());
    ScreenJob::Traces traces;
    traces.timerStarted = "TopVC :  StartTimerForUpdateWindow";
    traces.timerStopped = "TopVC :  StopTimerForUpdateWindow";
    traces.connection = "TopVC : USB status update!";
    traces.dataUpdate = "TopVC : Get USB data update flag!";
    m_job = new ScreenJob(m_ctx, traces, this);
    connect(m_job, &ScreenJob::blockingChanged, this, &TopVC::BlockedControl);
    connect(m_job, &ScreenJob::connectionChanged, this, &TopVC::ConnectionChanged);
    connect(m_job, &ScreenJob::ticked, this, &TopVC::WatchDevice);
    // A job nobody followed is told as the boot read is.
    connect(m_job, &ScreenJob::otherJobEnded, this, [this](const ComResult& result) { ShowJobEnd("JOB_NAME_BOOT", result); });
    connect(m_job, &ScreenJob::resumed, this, &TopVC::Resume);
    BuildControls();
    BlockedControl(true);
    m_job->StartTimer();
    InitControl();
}

TopVC::~TopVC() = default;

QPushButton* TopVC::OverlayButton(QWidget* parent, const QString& name, long tag, const QRect& geometry) {
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setProperty("overlay", true);
    b->setProperty("tag", static_cast<qlonglong>(tag));
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    Place(b, geometry);
    return b;
}

template <typename T>
T* TopVC::Label(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* l = new T(parent);
    l->setObjectName(name);
    Place(l, geometry);
    return l;
}

QSize TopVC::sizeHint() const { return {CANVAS_WIDTH, CANVAS_HEIGHT}; }

QSize TopVC::minimumSizeHint() const {
    return {static_cast<int>(std::ceil(CANVAS_WIDTH * MIN_SCALE)), static_cast<int>(std::ceil(CANVAS_HEIGHT * MIN_SCALE))};
}

void TopVC::Place(QWidget* w, const QRect& onCanvas) {
    w->setProperty("canvasRect", onCanvas);
    const QPoint origin = w->parentWidget() == this ? m_origin : QPoint();
    const QPointF topLeft = QPointF(onCanvas.topLeft()) * m_scale;
    const QPointF bottomRight = QPointF(onCanvas.topLeft() + QPoint(onCanvas.width(), onCanvas.height())) * m_scale;
    w->setGeometry(QRect(origin + topLeft.toPoint(), origin + bottomRight.toPoint() - QPoint(1, 1)));
}

void TopVC::SetPointSize(QWidget* w, int points) {
    w->setProperty("canvasPoints", points);
    // Smaller type than the application's own only for what is larger than it.
    const double floor = std::min<double>(points, QApplication::font().pointSizeF());
    QFont f = w->font();
    f.setPointSizeF(std::max(floor, points * m_scale));
    w->setFont(f);
}

void TopVC::SetRoundColor(QFrame* f, const QColor& c) {
    f->setProperty("roundColor", c);
    f->setStyleSheet(f == m_cvLEDColorPreviewArea
                         ? D::RingStyle(c, f->width(), std::max(4, static_cast<int>(std::lround(D::RING_BORDER * m_scale))))
                         : D::SwatchStyle(c, f->height() / 2));
}

void TopVC::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Rescale();
}

void TopVC::Rescale() {
    m_scale = std::max(MIN_SCALE, std::min(static_cast<double>(width()) / CANVAS_WIDTH, static_cast<double>(height()) / CANVAS_HEIGHT));
    m_origin = QPoint(std::max(0, static_cast<int>(width() - CANVAS_WIDTH * m_scale) / 2),
                      std::max(0, static_cast<int>(height() - CANVAS_HEIGHT * m_scale) / 2));
    for (QWidget* w : findChildren<QWidget*>()) {
        if (const QVariant r = w->property("canvasRect"); r.isValid()) Place(w, r.toRect());
        if (const QVariant points = w->property("canvasPoints"); points.isValid()) SetPointSize(w, points.toInt());
    }
    for (QFrame* f : findChildren<QFrame*>()) {
        if (const QVariant c = f->property("roundColor"); c.isValid()) SetRoundColor(f, c.value<QColor>());
    }
    const int push = m_cvSwichFuncBox[C::BUTTON_11_ID]->height();
    m_cvSwichFuncBox[C::BUTTON_11_ID]->setStyleSheet(QStringLiteral("#m_cvSwichFuncBox11 { border-radius:%1px; }").arg(push / 2));
    m_btnSwitchFuncSelect[C::BUTTON_11_ID]->setStyleSheet(QStringLiteral("border-radius:%1px;").arg(push / 2));
    FitCommands();
    update();
}

// The commands beneath the device scale with the picture, but their text does
// not shrink below the application's font: a button never gets narrower than
// its text (a long Japanese label would be cut at a small scale). One that
// grows pushes the next along, and the job message beside them gives way.
void TopVC::FitCommands() {
    const int gap = static_cast<int>(std::lround(14 * m_scale));
    int right = -1;
    for (QPushButton* b : {m_btnSetting, m_btnEditMacro, m_btnEditDialMacro}) {
        Place(b, b->property("canvasRect").toRect());
        b->ensurePolished();  // its size with the style sheet's padding
        QRect g = b->geometry();
        if (right >= 0) g.moveLeft(std::max(g.left(), right + gap));
        g.setWidth(std::max(g.width(), b->sizeHint().width()));
        b->setGeometry(g);
        right = g.right();
    }
    Place(m_lblJobMessage, m_lblJobMessage->property("canvasRect").toRect());
    QRect message = m_lblJobMessage->geometry();
    message.setLeft(std::max(message.left(), right + gap));
    m_lblJobMessage->setGeometry(message);
}

void TopVC::BuildControls() {
    // Modes, as tabs above the device.
    for (int m = 0; m < C::MODE_NUM; ++m) {
        const int n = m + 1;
        auto* area = new QFrame(this);
        area->setObjectName(QStringLiteral("m_cvProfileNameArea%1").arg(n));
        area->setProperty("role", "modeTab");
        Place(area, QRect(40 + m * 216, 26, 200, 62));
        m_cvProfileNameArea[m] = area;
        m_cvProfileColor[m] = new QFrame(area);
        m_cvProfileColor[m]->setObjectName(QStringLiteral("m_cvProfileColor%1").arg(n));
        Place(m_cvProfileColor[m], QRect(14, 16, 28, 28));
        m_lblProfileName[m] = Label(area, QStringLiteral("m_lblProfileName%1").arg(n), QRect(54, 8, 140, 42));
        QFont f = m_lblProfileName[m]->font();
        f.setBold(true);
        m_lblProfileName[m]->setFont(f);
        SetPointSize(m_lblProfileName[m], 13);
        m_cvUnderBar[m] = new QFrame(area);
        m_cvUnderBar[m]->setObjectName(QStringLiteral("m_cvUnderBar%1").arg(n));
        Place(m_cvUnderBar[m], QRect(12, 53, 176, 4));
        m_btnProfileSelect[m] = OverlayButton(area, QStringLiteral("m_btnProfileSelect%1").arg(n), m, QRect(0, 0, 200, 62));
        m_btnProfileColorSelect[m] =
            OverlayButton(area, QStringLiteral("m_btnProfileColorSelect%1").arg(n), LedColorTarget::ModeTag(m), QRect(8, 10, 40, 40));
        connect(m_btnProfileSelect[m], &QPushButton::clicked, this, &TopVC::ClickProfileSelect);
        connect(m_btnProfileColorSelect[m], &QPushButton::clicked, this, &TopVC::ClickColorSelect);
    }

    // Connection status and firmware, at the upper right.
    m_lblUSBStatusTitle = Label(this, QStringLiteral("m_lblUSBStatusTitle"), QRect(760, 24, 70, 24));
    m_lblUSBStatus = Label(this, QStringLiteral("m_lblUSBStatus"), QRect(832, 24, 380, 24));
    m_lblFirmwareVer = Label(this, QStringLiteral("m_lblFirmwareVer"), QRect(760, 48, 450, 22));
    m_lblStatusDetail = Label(this, QStringLiteral("m_lblStatusDetail"), QRect(760, 70, 450, 38));
    m_lblStatusDetail->setWordWrap(true);
    m_lblStatusDetail->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The ten keys.
    for (int k = 0; k < C::BUTTON_NUM - 1; ++k) {
        const int n = k + 1;
        auto* box = new QFrame(this);
        box->setObjectName(QStringLiteral("m_cvSwichFuncBox%1").arg(n));
        box->setProperty("role", "key");
        Place(box, D::KeyRect(k));
        m_cvSwichFuncBox[k] = box;
        QLabel* number = Label(box, QStringLiteral("lblKeyNumber%1").arg(n), QRect(10, 6, 60, 16));
        number->setProperty("role", "keyNumber");
        number->setText(QString::number(n));
        m_lblKeyCombination[k] = Label(box, QStringLiteral("lblKeyCombination%1").arg(n), QRect(6, 26, D::KEY_WIDTH - 12, 34));
        m_lblKeyCombination[k]->setProperty("role", "keyCap");
        m_lblKeyCombination[k]->setAlignment(Qt::AlignCenter);
        QFont capFont = m_lblKeyCombination[k]->font();
        capFont.setBold(true);
        m_lblKeyCombination[k]->setFont(capFont);
        SetPointSize(m_lblKeyCombination[k], 14);
        m_lblSwitchFuncName[k] = Label<ElidedLabel>(box, QStringLiteral("m_lblSwitchFuncName%1").arg(n), QRect(8, 24, D::KEY_WIDTH - 16, D::KEY_HEIGHT - 34));
        m_lblSwitchFuncName[k]->setProperty("role", "onDevice");
        m_lblSwitchFuncName[k]->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        m_btnSwitchFuncSelect[k] =
            OverlayButton(box, QStringLiteral("m_btnSwitchFuncSelect%1").arg(n), k, QRect(QPoint(), D::KeyRect(k).size()));
        connect(m_btnSwitchFuncSelect[k], &QPushButton::clicked, this, &TopVC::ClickSwitchFuncSelect);
    }

    // The LED ring around the dial; the knob itself is painted beneath it.
    m_cvLEDColorPreviewArea = new QFrame(this);
    m_cvLEDColorPreviewArea->setObjectName(QStringLiteral("m_cvLEDColorPreviewArea"));
    Place(m_cvLEDColorPreviewArea, D::RingRect());

    // The dial's push switch, the eleventh switch, in the middle of the knob.
    {
        const int k = C::BUTTON_11_ID;
        auto* box = new QFrame(this);
        box->setObjectName(QStringLiteral("m_cvSwichFuncBox11"));
        box->setProperty("role", "push");
        Place(box, D::PushRect());
        m_cvSwichFuncBox[k] = box;
        m_lblSwitchFuncName[k] = Label<ElidedLabel>(box, QStringLiteral("m_lblSwitchFuncName11"), QRect(14, 22, D::PUSH_DIAMETER - 28, D::PUSH_DIAMETER - 44));
        m_lblSwitchFuncName[k]->setProperty("role", "onDevice");
        m_lblSwitchFuncName[k]->setAlignment(Qt::AlignCenter);
        m_btnSwitchFuncSelect[k] =
            OverlayButton(box, QStringLiteral("m_btnSwitchFuncSelect11"), k, QRect(0, 0, D::PUSH_DIAMETER, D::PUSH_DIAMETER));
        connect(m_btnSwitchFuncSelect[k], &QPushButton::clicked, this, &TopVC::ClickSwitchFuncSelect);
    }

    // The dial's four functions around the ring.
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        const int n = f + 1;
        auto* box = new QFrame(this);
        box->setObjectName(QStringLiteral("m_cvDialFuncBox%1").arg(n));
        box->setProperty("role", "function");
        Place(box, D::FunctionBoxRect(f));
        m_cvDialFuncBox[f] = box;
        m_cvDialFuncColor[f] = new QFrame(box);
        m_cvDialFuncColor[f]->setObjectName(QStringLiteral("m_cvDialFuncColor%1").arg(n));
        Place(m_cvDialFuncColor[f], QRect(10, (D::FUNC_BOX.height() - D::SWATCH) / 2, D::SWATCH, D::SWATCH));
        m_lblDialFuncName[f] = Label<ElidedLabel>(box, QStringLiteral("m_lblDialFuncName%1").arg(n), QRect(42, 4, D::FUNC_BOX.width() - 48, D::FUNC_BOX.height() - 8));
        m_lblDialFuncName[f]->setProperty("role", "onDevice");
        m_btnDialFuncSelect[f] = OverlayButton(box, QStringLiteral("m_btnDialFuncSelect%1").arg(n), f, QRect(QPoint(), D::FUNC_BOX));
        m_btnDialFuncColorSelect[f] = OverlayButton(box, QStringLiteral("m_btnDialFuncColorSelect%1").arg(n), LedColorTarget::FunctionTag(f),
                                                    QRect(4, (D::FUNC_BOX.height() - 34) / 2, 34, 34));
        connect(m_btnDialFuncSelect[f], &QPushButton::clicked, this, &TopVC::ClickDialFuncSelect);
        connect(m_btnDialFuncColorSelect[f], &QPushButton::clicked, this, &TopVC::ClickColorSelect);
    }

    // Commands beneath the device.
    auto command = [this](const QString& name, const QRect& g) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setProperty("role", "command");
        Place(b, g);
        return b;
    };
    m_btnSetting = command(QStringLiteral("m_btnSetting"), QRect(40, 588, 150, 40));
    m_btnEditMacro = command(QStringLiteral("m_btnEditMacro"), QRect(204, 588, 160, 40));
    m_btnEditDialMacro = command(QStringLiteral("m_btnEditDialMacro"), QRect(378, 588, 180, 40));
    m_btnHelp = command(QStringLiteral("m_btnHelp"), QRect(1090, 588, 110, 40));
    m_lblJobMessage = Label(this, QStringLiteral("m_lblJobMessage"), QRect(580, 574, 496, 70));
    m_lblJobMessage->setWordWrap(true);
    connect(m_btnSetting, &QPushButton::clicked, this, &TopVC::OpenSettingScreen);
    connect(m_btnEditMacro, &QPushButton::clicked, this, &TopVC::OpenMacroEditor);
    connect(m_btnEditDialMacro, &QPushButton::clicked, this, &TopVC::OpenDialMacroEditor);
    connect(m_btnHelp, &QPushButton::clicked, this, &TopVC::ClickHelp);
}

void TopVC::InitControl() {
    const StringTable& s = m_ctx.Strings();
    m_btnSetting->setText(Q(s.Get("BTN_SETUP")));
    m_btnEditMacro->setText(Q(s.Get("BTN_MACRO_EDITOR")));
    m_btnEditDialMacro->setText(Q(s.Get("BTN_DIAL_MACRO_EDITOR")));
    m_btnHelp->setText(Q(s.Get("BTN_HELP")));
    FitCommands();
    m_lblUSBStatusTitle->setText(Q(s.Get("STATUS_MESSAGE_BOX_TEXT")));
    for (int m = 0; m < C::MODE_NUM; ++m) m_lblProfileName[m]->setText(Q(TopScreenText::ModeName(m, s)));
    ShowConnectionState();
    ShowEmptyModel();
    lCurrentSelectColorView = 0;
    // A job of an earlier data manager ends unseen.
    m_job->Forget();
}

void TopVC::BlockedControl(bool block) {
    m_bBlocked = block;
    for (int m = 0; m < C::MODE_NUM; ++m) {
        m_btnProfileSelect[m]->setEnabled(!block);
        m_btnProfileColorSelect[m]->setEnabled(!block);
    }
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        m_btnDialFuncColorSelect[f]->setEnabled(!block);
        m_btnDialFuncSelect[f]->setEnabled(!block);
    }
    for (QPushButton* b : m_btnSwitchFuncSelect) b->setEnabled(!block);
    m_btnSetting->setEnabled(!block);
    m_btnEditMacro->setEnabled(!block);
    m_btnEditDialMacro->setEnabled(!block);
}

void TopVC::Resume() {
    if (m_ctx.pDM == nullptr) return;
    // A screen opened from here may have seen the device go or come.
    ShowConnectionState();
    if (!m_ctx.pDM->pUSBHID().bConnected()) BlockedControl(true);
    if (m_ctx.pDM->bDataInitialize()) RenewUI();
}

void TopVC::ShowConnectionState() {
    DataManager* dm = m_ctx.pDM;
    const StringTable& s = m_ctx.Strings();
    const bool connected = dm && dm->pUSBHID().bConnected();
    if (connected) {
        m_lblUSBStatus->setText(Q(m_ctx.DeviceLine(true)));
        m_lblUSBStatus->setStyleSheet(QStringLiteral("color:#1e7a34;"));
        // The window's status bar says where an emulated device keeps its flash.
        m_lblStatusDetail->setText(dm->bDataInitialize() ? QString() : Q(s.Get("STATUS_MSG_READING")));
    } else {
        m_lblUSBStatus->setText(Q(m_ctx.DeviceLine(false)));
        m_lblUSBStatus->setStyleSheet(QStringLiteral("color:#b3261e;"));
        m_lblStatusDetail->setText(dm ? Q(JobMessage::NotConnected(dm->pUSBHID().LastOpenError(), s)) : QString());
    }
    m_lblStatusDetail->setToolTip(m_lblStatusDetail->text());
}

void TopVC::ConnectionChanged(bool connected) {
    // The boot read follows an arrival; the controls wait for its end.
    if (connected) Follow(JOB_BOOT, "JOB_NAME_BOOT", nullptr, false);
    ShowConnectionState();
}

void TopVC::WatchDevice() {
    DataManager* dm = m_ctx.pDM;
    USBHidManager& hid = dm->pUSBHID();
    if ((!m_ctx.hotplugEvents || hid.DeviceHeldElsewhere()) && !hid.bConnected() && hid.CheckUSBDetectPorling()) {
        // Where the system announces no arrivals, or while another program
        // holds the device (it lets go unannounced), look for the device at
        // each tick (once a second while nothing runs).
        hid.DeviceDetected();
        if (!hid.bConnected()) ShowConnectionState();
    }
    if (m_job->State() == JOB_BOOT && hid.IsJobRunning() && dm->g_arPSI.empty() && !dm->pComQue().HasReadsInto(0) &&
        dm->PreviewFromMemory()) {
        // The settings are in while the script directory is still being
        // read: the picture shows them now, the macro names follow.
        m_ctx.Trace("TopVC : settings read, directory still coming");
        RenewUI();
    }
    if (hid.JobsEnded() != m_nJobsSeen && !dm->bDataUpdate()) {
        // The job of a screen opened from here ended while that screen was in
        // front; it told of a failure itself and closed on success. What is
        // left to tell is a write the device stored without applying it.
        m_nJobsSeen = hid.JobsEnded();
        if (hid.LastResult().nLiveUpdatesRefused > 0) m_lblJobMessage->setText(Q(JobMessage::Warning(hid.LastResult(), dm->Strings())));
    }
}

void TopVC::ShowJobEnd(const std::string& jobKey, const ComResult& result) {
    DataManager* dm = m_ctx.pDM;
    m_nJobsSeen = dm->pUSBHID().JobsEnded();
    m_lblJobMessage->setText(Q(JobMessage::Outcome(jobKey, result, dm->Strings())));
    ShowConnectionState();
    RenewUI();
}

bool TopVC::StartJob(const std::string& jobKey, std::function<void(const ComResult&)> onEnd) {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr) return false;
    USBHidManager& hid = dm->pUSBHID();
    if (hid.IsJobRunning() || !hid.bConnected()) {
        dm->pComQue().Reset();
        return false;
    }
    WatchJob(jobKey, std::move(onEnd));
    if (!hid.StartCom()) {
        dm->pComQue().Reset();
        m_job->Forget();
        BlockedControl(!hid.bConnected());
        return false;
    }
    return true;
}

void TopVC::WatchJob(const std::string& jobKey, std::function<void(const ComResult&)> onEnd) {
    Follow(JOB_MENU, jobKey, std::move(onEnd), true);
}

void TopVC::Follow(uint8_t state, const std::string& jobKey, std::function<void(const ComResult&)> onEnd, bool blocking) {
    m_lblJobMessage->clear();
    const ScreenJob::Ended ended = [this, jobKey, onEnd = std::move(onEnd)](const ComResult& result) {
        ShowJobEnd(jobKey, result);
        if (onEnd) onEnd(result);
    };
    m_job->Watch({state, jobKey, ended, ended, blocking});
}

uint8_t TopVC::ChangeProfileSelect(long tag) {
    uint8_t mode = C::MODE_1_ID;
    if (tag == 2) {
        mode = C::MODE_3_ID;
    } else if (tag == 1) {
        mode = C::MODE_2_ID;
    }
    if (m_ctx.pDM) m_ctx.pDM->g_pSSI.bMode = mode;
    for (int m = 0; m < C::MODE_NUM; ++m) {
        m_cvUnderBar[m]->setStyleSheet(m == mode ? QStringLiteral("background:#000000; border:none;")
                                                 : QStringLiteral("background:transparent; border:none;"));
        m_cvProfileNameArea[m]->setStyleSheet(m == mode ? QStringLiteral("QFrame[role=\"modeTab\"]{border:2px solid #2b2f36;}")
                                                        : QString());
    }
    return mode;
}

void TopVC::ShowEmptyModel() {
    const QString dash = QStringLiteral("—");
    const QColor off(0x55, 0x5a, 0x62);
    for (int m = 0; m < C::MODE_NUM; ++m) SetRoundColor(m_cvProfileColor[m], QColor(0xd0, 0xd4, 0xda));
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        m_lblDialFuncName[f]->setText(dash);
        SetRoundColor(m_cvDialFuncColor[f], off);
    }
    for (ElidedLabel* l : m_lblSwitchFuncName) l->setText(dash);
    for (QLabel* l : m_lblKeyCombination) l->clear();
    SetRoundColor(m_cvLEDColorPreviewArea, off);
    m_lblFirmwareVer->clear();
}

void TopVC::RenewUI() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr) return;
    const StringTable& s = dm->Strings();
    const uint8_t mode = ChangeProfileSelect(dm->g_pSSI.bMode);
    m_lblFirmwareVer->setText(Q(TopScreenText::FirmwareLabel(dm->g_pSSI, s)));
    if (dm->g_arPSI.size() < C::MODE_NUM) {
        ShowEmptyModel();
        update();
        return;
    }
    const Utility& utl = dm->pUtl();
    for (int m = 0; m < C::MODE_NUM; ++m) {
        const ProfileSettingInfo& p = dm->g_arPSI[static_cast<size_t>(m)];
        m_lblProfileName[m]->setText(Q(TopScreenText::ModeName(m, s)));
        const QColor c = DisplayColor(utl, p.bLEDDutyR, p.bLEDDutyG, p.bLEDDutyB);
        SetRoundColor(m_cvProfileColor[m], c);
        if (m == mode) SetRoundColor(m_cvLEDColorPreviewArea, c);
    }
    const ProfileSettingInfo& p = dm->g_arPSI[mode];
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        const TopScreenText::DialLabel label = TopScreenText::DialFunctionLabel(p, f, s);
        ElidedLabel* l = m_lblDialFuncName[f];
        l->setText(Q(label.text));
        l->setToolTip(l->text());
        QFont font = l->font();
        font.setBold(label.isDefault);
        l->setFont(font);
        SetPointSize(l, label.isDefault ? 13 : 11);
        if (static_cast<size_t>(f) < p.arDialFuncElemList.size()) {
            const DialFuncElem& e = p.arDialFuncElemList[static_cast<size_t>(f)];
            SetRoundColor(m_cvDialFuncColor[f], DisplayColor(utl, e.bLEDDutyR, e.bLEDDutyG, e.bLEDDutyB));
        }
        m_btnDialFuncSelect[f]->setToolTip(l->text());
    }
    for (int b = 0; b < C::BUTTON_NUM; ++b) {
        const std::string text = TopScreenText::SwitchFunctionText(p, b, dm->Catalogues(), dm->g_arSCE, s);
        m_lblSwitchFuncName[b]->setText(Q(text));
        m_lblSwitchFuncName[b]->setToolTip(Q(text));
        m_btnSwitchFuncSelect[b]->setToolTip(Q(text));
        if (static_cast<size_t>(b) < m_lblKeyCombination.size()) {
            std::string keys;
            if (static_cast<size_t>(b) < p.arSwitchFuncElemList.size()) {
                keys = TopScreenText::KeyCombination(p.arSwitchFuncElemList[static_cast<size_t>(b)].clsMacroSW, s);
            }
            QLabel* cap = m_lblKeyCombination[b];
            cap->setText(Q(keys));
            // Long combinations get smaller type so that they fit the key.
            int size = 14;
            for (; size > 8; --size) {
                SetPointSize(cap, size);
                if (cap->fontMetrics().horizontalAdvance(cap->text()) <= cap->width() - 4) break;
            }
            SetPointSize(cap, size);
            // The assignment text moves beneath the keys when there are any.
            Place(m_lblSwitchFuncName[b], keys.empty() ? QRect(8, 24, D::KEY_WIDTH - 16, D::KEY_HEIGHT - 34)
                                                       : QRect(8, 64, D::KEY_WIDTH - 16, D::KEY_HEIGHT - 74));
        }
    }
    update();
}

void TopVC::ClickProfileSelect() {
    auto* b = qobject_cast<QPushButton*>(sender());
    if (b == nullptr) return;
    ChangeProfileSelect(b->property("tag").toLongLong());
    RenewUI();
}

void TopVC::ClickColorSelect() {
    auto* b = qobject_cast<QPushButton*>(sender());
    if (b == nullptr) return;
    OpenLedColorScreen(b->property("tag").toLongLong());
}

void TopVC::ClickDialFuncSelect() {
    auto* b = qobject_cast<QPushButton*>(sender());
    if (b != nullptr) OpenDialFuncScreen(b->property("tag").toLongLong());
}

void TopVC::OpenDialFuncScreen(long func) {
    if (m_ctx.pDM == nullptr || m_screen || func < 0 || func >= C::FUNCTION_NUM) return;
    lCurrentSelectDialFuncID = func;
    m_ctx.Trace("prepareForSegue segue=DialFuncSettingSegue, sender=" + std::to_string(func));
    auto* screen = new DialFuncSettingVC(m_ctx, this);
    screen->SetDialFuncID(static_cast<uint8_t>(func));
    ShowScreen(screen);
}

void TopVC::ClickSwitchFuncSelect() {
    auto* b = qobject_cast<QPushButton*>(sender());
    if (b != nullptr) OpenSwitchFuncScreen(b->property("tag").toLongLong());
}

void TopVC::OpenSwitchFuncScreen(long button) {
    if (m_ctx.pDM == nullptr || m_screen || button < 0 || button >= C::BUTTON_NUM) return;
    lCurrentSelectSwitchFuncID = button;
    m_ctx.Trace("prepareForSegue segue=SwitchFuncSettingSegue, sender=" + std::to_string(button));
    auto* screen = new SwichFuncSettingVC(m_ctx, this);
    screen->SetSwitchFuncID(static_cast<uint8_t>(button));
    ShowScreen(screen);
}

void TopVC::ShowScreen(QDialog* screen) {
    screen->setAttribute(Qt::WA_DeleteOnClose, true);
    m_screen = screen;
    // The opened screen runs its own timer; this one starts again, with a
    // redraw, when it is gone.
    m_job->PauseWhile(screen);
    screen->open();
    emit screenOpened(screen);
}

void TopVC::OpenSettingScreen() {
    if (m_ctx.pDM == nullptr || m_screen) return;
    m_ctx.Trace("prepareForSegue segue=SettingSegue, sender=m_btnSetting");
    ShowScreen(new SettingVC(m_ctx, this));
}

void TopVC::OpenLedColorScreen(long tag) {
    if (m_ctx.pDM == nullptr || m_screen) return;
    lCurrentSelectColorView = tag;
    m_ctx.Trace("ClickColorSelect: " + std::to_string(tag));
    m_ctx.Trace("prepareForSegue segue=LEDColorSettingSegue, sender=" + std::to_string(tag));
    auto* screen = new LEDColorSettingVC(m_ctx, this);
    screen->SetSelectTagNo(lCurrentSelectColorView, LEDColorSettingVC::FROM_TOP_VC);
    ShowScreen(screen);
}

void TopVC::OpenMacroEditor() {
    if (m_ctx.pDM == nullptr || m_screen) return;
    m_ctx.Trace("prepareForSegue segue=EditMacroSegue, sender=m_btnEditMacro");
    ShowScreen(new EditMacroVC(m_ctx, this));
}

void TopVC::OpenDialMacroEditor() {
    if (m_ctx.pDM == nullptr || m_screen) return;
    m_ctx.Trace("prepareForSegue segue=EditDialMacroSegue, sender=m_btnEditDialMacro");
    ShowScreen(new EditDialMacroVC(m_ctx, this));
}

void TopVC::ClickHelp() { HelpLauncher::Open(m_ctx, "main.html"); }

void TopVC::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter p(this);
    p.translate(m_origin);
    p.scale(m_scale, m_scale);
    D::Paint(p, font());
}

}  // namespace kelvadeck
