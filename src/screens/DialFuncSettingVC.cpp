#include "screens/DialFuncSettingVC.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/DataManager.h"
#include "device/USBHidManager.h"
#include "keys/Utility.h"
#include "model/Constants.h"
#include "screenlogic/EditedItemText.h"
#include "screens/CatalogueTables.h"
#include "screens/FuncInputPanel.h"
#include "screens/HelpLauncher.h"
#include "screens/LEDColorSettingVC.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {

using C = Constants;
constexpr int kSwatch = 22;

QString Suffixed(const char* name, bool right) {
    return QString::fromLatin1(name) + (right ? QStringLiteral("_R") : QStringLiteral("_L"));
}

// A button that only catches clicks over the control below it.
void MakeTransparent(QPushButton* b) {
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
}

}  // namespace

DialFuncSettingVC::DialFuncSettingVC(ScreenContext& context, QWidget* parent) : QDialog(parent), m_ctx(context) {
    setObjectName(QStringLiteral("DialFuncSettingVC"));
    m_right.right = true;
    m_left.right = false;
    ScreenJob::Traces traces;
    traces.timerStarted = "DialFuncSetting :  StartTimerForUpdateWindow";
    traces.dataUpdate = "DialFuncSetting : Get USB data update flag!";
    traces.stateInDataUpdate = true;
    m_job = new ScreenJob(m_ctx, traces, this);
    connect(m_job, &ScreenJob::blockingChanged, this, &DialFuncSettingVC::BlockedControl);
    // A colour chosen on the LED colour screen shows when it is closed.
    connect(m_job, &ScreenJob::resumed, this, &DialFuncSettingVC::SetAllColor);
    BuildControls();
}

DialFuncSettingVC::~DialFuncSettingVC() = default;

void DialFuncSettingVC::BuildControls() {
    auto* root = new QVBoxLayout(this);
    root->addWidget(BuildFunctions());
    auto* sides = new QHBoxLayout;
    BuildSide(m_right);
    BuildSide(m_left);
    sides->addWidget(m_right.box);
    sides->addWidget(m_left.box);
    root->addLayout(sides, 1);

    auto* buttons = new QHBoxLayout;
    m_btnHelp = new QPushButton(this);
    m_btnHelp->setObjectName(QStringLiteral("m_btnHelp"));
    m_btnCancel = new QPushButton(this);
    m_btnCancel->setObjectName(QStringLiteral("m_btnCancel"));
    m_btnSubmit = new QPushButton(this);
    m_btnSubmit->setObjectName(QStringLiteral("m_btnSubmit"));
    // Enter applies; no other button takes it.
    for (QPushButton* b : {m_btnHelp, m_btnCancel, m_btnSubmit}) b->setAutoDefault(false);
    m_btnSubmit->setDefault(true);
    buttons->addWidget(m_btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnSubmit);
    root->addLayout(buttons);
    connect(m_btnHelp, &QPushButton::clicked, this, [this] { HelpLauncher::Open(m_ctx, "dial-function.html"); });
    connect(m_btnCancel, &QPushButton::clicked, this, &DialFuncSettingVC::ClickCancel);
    connect(m_btnSubmit, &QPushButton::clicked, this, &DialFuncSettingVC::ClickSubmit);
}

QWidget* DialFuncSettingVC::BuildFunctions() {
    auto* strip = new QWidget(this);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        const int k = f + 1;
        auto* box = new QFrame(strip);
        box->setObjectName(QStringLiteral("m_boxDFTitle%1").arg(k));
        box->setFrameShape(QFrame::StyledPanel);
        auto* grid = new QGridLayout(box);
        m_txtDFTitle[f] = new QLabel(box);
        m_txtDFTitle[f]->setObjectName(QStringLiteral("m_txtDFTitle%1").arg(k));
        m_cvDFColor[f] = new QFrame(box);
        m_cvDFColor[f]->setObjectName(QStringLiteral("m_cvDFColor%1").arg(k));
        m_cvDFColor[f]->setFixedSize(kSwatch, kSwatch);
        m_btnDFColorSelect[f] = new QPushButton(box);
        m_btnDFColorSelect[f]->setObjectName(QStringLiteral("m_btnDFColorSelect%1").arg(k));
        m_btnDFColorSelect[f]->setProperty("tag", 3 + k);
        m_btnDFColorSelect[f]->setFixedSize(kSwatch, kSwatch);
        MakeTransparent(m_btnDFColorSelect[f]);
        m_txtDFName[f] = new QLineEdit(box);
        m_txtDFName[f]->setObjectName(QStringLiteral("m_txtDFName%1").arg(k));
        m_txtDFName[f]->setProperty("identifier", QStringLiteral("DialFuncName%1").arg(k));
        m_txtDFName[f]->setProperty("tag", f);
        // No more than the device stores: a longer name cannot be typed.
        m_txtDFName[f]->setMaxLength(DialFuncForm::NAME_MAX_UNITS);
        m_btnDFSelect[f] = new QPushButton(box);
        m_btnDFSelect[f]->setObjectName(QStringLiteral("m_btnDFSelect%1").arg(k));
        m_btnDFSelect[f]->setProperty("tag", f);
        MakeTransparent(m_btnDFSelect[f]);
        // The transparent buttons lie over the swatch and the name.
        grid->addWidget(m_txtDFTitle[f], 0, 0, 1, 2);
        grid->addWidget(m_cvDFColor[f], 1, 0);
        grid->addWidget(m_btnDFColorSelect[f], 1, 0);
        grid->addWidget(m_txtDFName[f], 1, 1);
        grid->addWidget(m_btnDFSelect[f], 1, 1);
        m_btnDFColorSelect[f]->raise();
        m_btnDFSelect[f]->raise();
        connect(m_btnDFSelect[f], &QPushButton::clicked, this, [this, f] { ClickDFSelect(f); });
        connect(m_btnDFColorSelect[f], &QPushButton::clicked, this, [this, k] { ClickLEDColorSelect(3 + k); });
        connect(m_txtDFName[f], &QLineEdit::textChanged, this, [this, f](const QString& text) {
            if (!m_bFilling) m_form.SetFunctionName(f, text.toStdString());
        });
        m_boxDFTitle[f] = box;
        row->addWidget(box, 1);
        if (f + 1 < C::FUNCTION_NUM) {
            m_cvSepa[f] = new QFrame(strip);
            m_cvSepa[f]->setObjectName(QStringLiteral("m_cvSepa%1").arg(k));
            m_cvSepa[f]->setFixedWidth(1);
            m_cvSepa[f]->setStyleSheet(QStringLiteral("background: #a0a0a0;"));
            row->addWidget(m_cvSepa[f]);
        }
    }
    // The last separator closes the strip below the four functions.
    m_cvSepa[C::FUNCTION_NUM - 1] = new QFrame(this);
    m_cvSepa[C::FUNCTION_NUM - 1]->setObjectName(QStringLiteral("m_cvSepa%1").arg(C::FUNCTION_NUM));
    m_cvSepa[C::FUNCTION_NUM - 1]->setFixedHeight(1);
    m_cvSepa[C::FUNCTION_NUM - 1]->setStyleSheet(QStringLiteral("background: #a0a0a0;"));
    auto* wrap = new QWidget(this);
    auto* v = new QVBoxLayout(wrap);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(strip);
    v->addWidget(m_cvSepa[C::FUNCTION_NUM - 1]);
    return wrap;
}

void DialFuncSettingVC::BuildSide(Side& side) {
    const bool r = side.right;
    side.box = new QGroupBox(this);
    side.box->setObjectName(r ? QStringLiteral("m_boxRight") : QStringLiteral("m_boxLeft"));
    auto* col = new QVBoxLayout(side.box);

    const QString suffix = Suffixed("", r);
    side.tables = new CatalogueTables(r ? 0 : 3, suffix, QSize(130, 220), side.box);
    connect(side.tables, &CatalogueTables::rowClicked, this, &DialFuncSettingVC::SelectRow);
    col->addWidget(side.tables, 1);

    // Sensitivity: the slider and the spin box edit one value.
    side.cvSensitiveSetting = new QWidget(side.box);
    side.cvSensitiveSetting->setObjectName(Suffixed("m_cvSensitiveSetting", r));
    auto* sens = new QHBoxLayout(side.cvSensitiveSetting);
    side.lblSensitiveTitle = new QLabel(side.cvSensitiveSetting);
    side.lblSensitiveTitle->setObjectName(Suffixed("m_lblSensitiveTitle", r));
    side.lblSensitiveMin = new QLabel(QString::number(DialFuncForm::SENSITIVITY_LOWEST), side.cvSensitiveSetting);
    side.lblSensitiveMin->setObjectName(Suffixed("m_lblSensitiveMin", r));
    side.lblSensitiveMax = new QLabel(QString::number(DialFuncForm::SENSITIVITY_HIGHEST), side.cvSensitiveSetting);
    side.lblSensitiveMax->setObjectName(Suffixed("m_lblSensitiveMax", r));
    side.sldSensitiveValue = new QSlider(Qt::Horizontal, side.cvSensitiveSetting);
    side.sldSensitiveValue->setObjectName(Suffixed("m_sldSensitiveValue", r));
    side.sldSensitiveValue->setRange(DialFuncForm::SENSITIVITY_LOWEST, DialFuncForm::SENSITIVITY_HIGHEST);
    side.stpSensitiveValue = new QSpinBox(side.cvSensitiveSetting);
    side.stpSensitiveValue->setObjectName(Suffixed("m_stpSensitiveValue", r));
    side.stpSensitiveValue->setRange(DialFuncForm::SENSITIVITY_LOWEST, DialFuncForm::SENSITIVITY_HIGHEST);
    Side* s = &side;
    connect(side.sldSensitiveValue, &QSlider::valueChanged, this, [this, s](int v) {
        if (!m_bFilling) SetSensitivity(*s, v);
    });
    connect(side.stpSensitiveValue, &QSpinBox::valueChanged, this, [this, s](int v) {
        if (!m_bFilling) SetSensitivity(*s, v);
    });
    sens->addWidget(side.lblSensitiveTitle);
    sens->addWidget(side.lblSensitiveMin);
    sens->addWidget(side.sldSensitiveValue, 1);
    sens->addWidget(side.lblSensitiveMax);
    sens->addWidget(side.stpSensitiveValue);
    col->addWidget(side.cvSensitiveSetting);

    side.inputPanel = new FuncInputPanel(suffix, r ? 1 : 2, r ? 0 : 1, side.box);
    col->addWidget(side.inputPanel);
    col->addStretch(1);
    connect(side.inputPanel, &FuncInputPanel::keyChanged, this, [this, s] { RenewKeyInputInfo(*s); });
    connect(side.inputPanel, &FuncInputPanel::keyCleared, this, [this, s] {
        if (m_ctx.pDM) m_form.ClearKey(s->right, *m_ctx.pDM);
    });
    connect(side.inputPanel, &FuncInputPanel::numberChanged, this, [this, s](int n) { m_form.SetNumber(s->right, n); });
    connect(side.inputPanel, &FuncInputPanel::distanceChanged, this,
            [this, s](int x, int y) { m_form.SetDistance(s->right, x, y); });
}

void DialFuncSettingVC::SetDialFuncID(uint8_t func) {
    DataManager* dm = m_ctx.pDM;
    const bool open = dm != nullptr && m_form.Open(*dm, func);
    InitControl();
    SelectDialFuncID();
    InitSelectItem();
    ShowTables();
    ChangeExtraImputArea();
    SetAllColor();
    BlockedControl(!open || !dm->pUSBHID().bConnected());
    m_job->StartTimer();
}

void DialFuncSettingVC::InitControl() {
    const StringTable& s = m_ctx.Strings();
    ShowTitle();
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        m_txtDFTitle[f]->setText(Q(s.Get("SP_FUNC_TYPE_FUNC" + std::to_string(f + 1))));
    }
    m_right.box->setTitle(Q(s.Get("DIAL_FUNC_SETTING_CW")));
    m_left.box->setTitle(Q(s.Get("DIAL_FUNC_SETTING_CCW")));
    for (Side* side : {&m_right, &m_left}) {
        side->lblSensitiveTitle->setText(Q(s.Get("DIAL_FUNC_SETTING_SENSITIVITY")));
        side->inputPanel->InitControl(s);
        side->tables->InitControl(s);
    }
    m_btnHelp->setText(Q(s.Get("BTN_HELP")));
    m_btnCancel->setText(Q(s.Get("BTN_CANCEL")));
    m_btnSubmit->setText(Q(s.Get("BTN_SUBMIT")));
}

void DialFuncSettingVC::SelectDialFuncID() {
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        const bool chosen = f == m_form.bSelectDialFuncID;
        // The chosen function's name is edited in place; the others are
        // chosen by a click on their name.
        m_boxDFTitle[f]->setFrameShadow(chosen ? QFrame::Raised : QFrame::Plain);
        m_boxDFTitle[f]->setProperty("chosen", chosen);
        m_txtDFName[f]->setReadOnly(!chosen);
        m_txtDFName[f]->setFrame(chosen);
        m_txtDFName[f]->setFocusPolicy(chosen ? Qt::StrongFocus : Qt::NoFocus);
        m_btnDFSelect[f]->setVisible(!chosen);
    }
}

void DialFuncSettingVC::InitSelectItem() {
    for (Side* side : {&m_right, &m_left}) {
        side->m_nSensitiveValue = m_form.Sensitivity(side->right);
        ShowSensitivity(*side);
    }
}

void DialFuncSettingVC::ShowSensitivity(Side& side) {
    m_bFilling = true;
    side.sldSensitiveValue->setValue(side.m_nSensitiveValue);
    side.stpSensitiveValue->setValue(side.m_nSensitiveValue);
    m_bFilling = false;
}

void DialFuncSettingVC::SetSensitivity(Side& side, long long value) {
    side.m_nSensitiveValue = DialFuncForm::ClampSensitivity(value);
    ShowSensitivity(side);
    m_form.SetSensitivity(m_right.m_nSensitiveValue, m_left.m_nSensitiveValue);
}

void DialFuncSettingVC::ShowTables() {
    if (m_ctx.pDM == nullptr) return;
    for (Side* side : {&m_right, &m_left}) {
        int category = 0, application = 0, detail = 0;
        m_form.SelectedRows(side->right, category, application, detail);
        side->tables->Show([this](int tag) { return m_form.Rows(tag, *m_ctx.pDM); }, {category, application, detail});
    }
}

void DialFuncSettingVC::SelectRow(int tag, int row) {
    if (!m_form.ChangeSelectItem(tag, row)) return;
    if (tag % 3 != 2) ShowTables();
    ChangeExtraImputArea();
}

void DialFuncSettingVC::ChangeExtraImputArea() {
    for (Side* side : {&m_right, &m_left}) {
        side->inputPanel->Show(m_form.InputArea(side->right), m_form.Action(side->right), m_ctx.Strings());
    }
}

void DialFuncSettingVC::RenewKeyInputInfo(Side& side) {
    if (m_ctx.pDM == nullptr) return;
    m_form.RenewKeyInputInfo(side.right, side.inputPanel->CapturedKey(), side.inputPanel->Modifiers(), *m_ctx.pDM);
    if (m_form.Action(side.right).pStrKey) side.inputPanel->ShowKey(m_form.Action(side.right));
}

void DialFuncSettingVC::SetAllColor() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr) return;
    if (lCurrentSelectColorView >= 4 && lCurrentSelectColorView <= 7) {
        m_form.TakeColorFromLive(*dm, static_cast<int>(lCurrentSelectColorView - 4));
    }
    m_bFilling = true;
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        const DialFuncElem& e = m_form.Function(f);
        const auto& name = e.strFunctionName;
        if (name && !name->empty()) {
            m_txtDFName[f]->setText(Q(m_form.FunctionName(f, dm->Strings())));
            m_txtDFName[f]->setPlaceholderText(QString());
        } else {
            // An unnamed function shows the placeholder; the field itself stays empty.
            m_txtDFName[f]->clear();
            m_txtDFName[f]->setPlaceholderText(Q(dm->Strings().Get("FUNCTION_NAME_UNDEFINE")));
        }
        double r = 0, g = 0, b = 0;
        dm->pUtl().FlashRGB_to_uiRGB(e.bLEDDutyR, e.bLEDDutyG, e.bLEDDutyB, r, g, b);
        const QColor c = QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 1.0f);
        m_cvDFColor[f]->setStyleSheet(
            QStringLiteral("background:%1; border:1px solid #808080; border-radius:%2px;").arg(c.name()).arg(kSwatch / 2));
        m_cvDFColor[f]->setProperty("color", c);
    }
    m_bFilling = false;
    lCurrentSelectColorView = 0;
}

void DialFuncSettingVC::ClickDFSelect(int func) {
    if (!m_form.SelectDialFuncID(static_cast<uint8_t>(func))) return;
    for (Side* side : {&m_right, &m_left}) side->inputPanel->ForgetKey();
    SelectDialFuncID();
    ShowTitle();
    InitSelectItem();
    ShowTables();
    ChangeExtraImputArea();
}

void DialFuncSettingVC::ShowTitle() {
    const StringTable& s = m_ctx.Strings();
    setWindowTitle(Q(m_form.IsOpen() ? EditedItemText::DialFunction(m_form.bSelectDialFuncID, m_form.bSelectProfileID, s)
                                     : s.Get("SCREEN_DIAL_FUNCTION_SETTING")));
}

void DialFuncSettingVC::ClickLEDColorSelect(long tag) {
    if (m_ctx.pDM == nullptr || m_colorScreen || tag < 4 || tag > 7) return;
    lCurrentSelectColorView = tag;
    m_ctx.Trace("prepareForSegue segue=LEDColorSettingFromDialFuncSegue, sender=" + std::to_string(tag));
    auto* screen = new LEDColorSettingVC(m_ctx, this);
    screen->setAttribute(Qt::WA_DeleteOnClose, true);
    screen->SetSelectTagNo(lCurrentSelectColorView, VC_ID);
    m_colorScreen = screen;
    m_job->PauseWhile(screen);
    screen->open();
}

void DialFuncSettingVC::BlockedControl(bool block) {
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        m_btnDFColorSelect[f]->setEnabled(!block);
        m_btnDFSelect[f]->setEnabled(!block);
    }
    for (Side* s : {&m_right, &m_left}) {
        for (QWidget* w : std::initializer_list<QWidget*>{s->tables, s->sldSensitiveValue, s->stpSensitiveValue, s->inputPanel}) {
            w->setEnabled(!block);
        }
    }
    m_btnCancel->setEnabled(!block);
    m_btnSubmit->setEnabled(!block);
}

void DialFuncSettingVC::ClickSubmit() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_job->IsRunning()) return;
    if (!m_job->Confirm(dm->Strings().Get("DEVICE_FUNCTION_WRITE_CONFIRM_MSG"))) return;
    Write();
}

void DialFuncSettingVC::Write() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr) return;
    std::string error;
    if (m_form.Submit(*dm, error) == DialFuncForm::Submitted::Failed) {
        m_job->Refuse(dm->Strings().Get(error));
        return;
    }
    // A write that does not go through leaves the screen open with the
    // user's edits, so that it can be tried again.
    m_job->Watch({VCSTS_WRITING, "JOB_NAME_WRITE_SETTINGS", m_job->Closing(this)});
}

void DialFuncSettingVC::ClickCancel() {
    if (m_job->IsRunning()) return;
    m_job->StopTimer();
    QDialog::reject();
}

void DialFuncSettingVC::reject() {
    // Escape and the close box: the edits are asked about first.
    if (m_job->IsRunning()) return;
    m_job->Leave(m_ctx.pDM && m_form.HasChanges(*m_ctx.pDM), [this] { Write(); }, [this] { ClickCancel(); });
}

}  // namespace kelvadeck
