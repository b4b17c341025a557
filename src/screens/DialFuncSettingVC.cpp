#include "screens/DialFuncSettingVC.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

#include "core/DataManager.h"
#include "device/USBHidManager.h"
#include "keys/Utility.h"
#include "model/Constants.h"
#include "screenlogic/JobMessage.h"
#include "screens/HelpLauncher.h"
#include "screens/LEDColorSettingVC.h"
#include "screens/QtKeyEventAdapter.h"
#include "screens/Stepper.h"
#include "screens/UserPrompts.h"

namespace kelvadeck {

namespace {

using C = Constants;
constexpr int kTimerMs = 200;
constexpr int kValueMin = -127;
constexpr int kValueMax = 127;
constexpr int kSwatch = 22;

QString Q(const std::string& s) { return QString::fromStdString(s); }

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
    m_Timer = new QTimer(this);
    m_Timer->setInterval(kTimerMs);
    connect(m_Timer, &QTimer::timeout, this, &DialFuncSettingVC::UpdateAppWindow);
    BuildControls();
}

DialFuncSettingVC::~DialFuncSettingVC() = default;

void DialFuncSettingVC::Log(const std::string& line) const {
    if (m_ctx.pDM) m_ctx.pDM->Log().Debug(line);
}

const StringTable& DialFuncSettingVC::Strings() const {
    static const StringTable fallback;
    return m_ctx.pDM ? m_ctx.pDM->Strings() : fallback;
}

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
    for (QPushButton* b : {m_btnHelp, m_btnCancel, m_btnSubmit}) b->setAutoDefault(false);
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

    auto* tables = new QHBoxLayout;
    const int base = r ? 0 : 3;
    auto table = [this, &side, tables](const char* name, int tag) {
        auto* t = new QListWidget(side.box);
        t->setObjectName(Suffixed(name, side.right));
        t->setProperty("tag", tag);
        t->setMinimumSize(130, 220);
        Side* s = &side;
        connect(t, &QListWidget::itemClicked, this, [this, t, tag, s](QListWidgetItem* item) {
            if (!m_bFilling) SelectRow(*s, tag, t->row(item));
        });
        tables->addWidget(t);
        return t;
    };
    side.tblCategory = table("m_tblCategory", base);
    side.tblApplication = table("m_tblApplication", base + 1);
    side.tblDetail = table("m_tblDetail", base + 2);
    col->addLayout(tables, 1);

    // Sensitivity: slider, text and stepper edit one value.
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
    side.txtSensitiveValue = new QLineEdit(side.cvSensitiveSetting);
    side.txtSensitiveValue->setObjectName(Suffixed("m_txtSensitiveValue", r));
    side.txtSensitiveValue->setMaximumWidth(48);
    side.stpSensitiveValue = new Stepper(side.cvSensitiveSetting);
    side.stpSensitiveValue->setObjectName(Suffixed("m_stpSensitiveValue", r));
    side.stpSensitiveValue->setRange(DialFuncForm::SENSITIVITY_LOWEST, DialFuncForm::SENSITIVITY_HIGHEST);
    Side* s = &side;
    connect(side.sldSensitiveValue, &QSlider::valueChanged, this, [this, s](int v) {
        if (!m_bFilling) SetSensitivity(*s, v);
    });
    connect(side.stpSensitiveValue, &Stepper::valueChanged, this, [this, s](int v) {
        if (!m_bFilling) SetSensitivity(*s, v);
    });
    connect(side.txtSensitiveValue, &QLineEdit::textEdited, this, [this, s](const QString& v) {
        bool ok = false;
        const long long n = v.toLongLong(&ok);
        // A value out of bounds waits for the end of editing to be bounded.
        if (ok && n >= DialFuncForm::SENSITIVITY_LOWEST && n <= DialFuncForm::SENSITIVITY_HIGHEST) SetSensitivity(*s, n);
    });
    connect(side.txtSensitiveValue, &QLineEdit::editingFinished, this, [this, s] {
        bool ok = false;
        const long long n = s->txtSensitiveValue->text().toLongLong(&ok);
        SetSensitivity(*s, ok ? n : s->m_nSensitiveValue);
    });
    sens->addWidget(side.lblSensitiveTitle);
    sens->addWidget(side.lblSensitiveMin);
    sens->addWidget(side.sldSensitiveValue, 1);
    sens->addWidget(side.lblSensitiveMax);
    sens->addWidget(side.txtSensitiveValue);
    sens->addWidget(side.stpSensitiveValue);
    col->addWidget(side.cvSensitiveSetting);

    // Key area.
    side.cvKeyInputSetting = new QWidget(side.box);
    side.cvKeyInputSetting->setObjectName(Suffixed("m_cvKeyInputSetting", r));
    auto* key = new QGridLayout(side.cvKeyInputSetting);
    side.lblKeyInputTitle = new QLabel(side.cvKeyInputSetting);
    side.lblKeyInputTitle->setObjectName(Suffixed("m_lblKeyInputTitle", r));
    side.txtKeyInputValue = new QLineEdit(side.cvKeyInputSetting);
    side.txtKeyInputValue->setObjectName(Suffixed("m_txtKeyInputValue", r));
    side.txtKeyInputValue->setProperty("identifier", r ? QStringLiteral("TxtKeyInput_R") : QStringLiteral("TxtKeyInput_L"));
    side.txtKeyInputValue->setProperty("tag", r ? 1 : 2);
    // The field shows the key's name; typing only captures keys.
    side.txtKeyInputValue->setReadOnly(true);
    side.txtKeyInputValue->installEventFilter(this);
    side.btnValueClear = new QPushButton(side.cvKeyInputSetting);
    side.btnValueClear->setObjectName(Suffixed("m_btnValueClear", r));
    side.btnValueClear->setProperty("tag", r ? 1 : 2);
    side.btnValueClear->setAutoDefault(false);
    connect(side.btnValueClear, &QPushButton::clicked, this, [this, s] { ClickKeyInputClear(*s); });
    auto box = [this, s](const char* name) {
        auto* c = new QCheckBox(s->cvKeyInputSetting);
        c->setObjectName(Suffixed(name, s->right));
        connect(c, &QCheckBox::clicked, this, [this, s] { RenewKeyInputInfo(*s); });
        return c;
    };
    side.chkControl = box("m_chkControl");
    side.chkShift = box("m_chkShift");
    side.chkAlt = box("m_chkAlt");
    side.chkCommand = box("m_chkCommand");
    key->addWidget(side.lblKeyInputTitle, 0, 0);
    key->addWidget(side.txtKeyInputValue, 0, 1, 1, 3);
    key->addWidget(side.btnValueClear, 0, 4);
    key->addWidget(side.chkControl, 1, 1);
    key->addWidget(side.chkShift, 1, 2);
    key->addWidget(side.chkAlt, 1, 3);
    key->addWidget(side.chkCommand, 1, 4);
    col->addWidget(side.cvKeyInputSetting);

    // A value field and its stepper edit one number.
    auto valueField = [this, r](QWidget* parent, const char* textName, const char* stepperName, int* value,
                                const std::function<void()>& changed, QLineEdit*& text, Stepper*& stepper) {
        text = new QLineEdit(parent);
        text->setObjectName(Suffixed(textName, r));
        text->setProperty("tag", r ? 0 : 1);
        stepper = new Stepper(parent);
        stepper->setObjectName(Suffixed(stepperName, r));
        stepper->setProperty("tag", r ? 0 : 1);
        stepper->setRange(kValueMin, kValueMax);
        QLineEdit* t = text;
        Stepper* st = stepper;
        connect(t, &QLineEdit::textEdited, this, [value, changed, st](const QString& v) {
            bool ok = false;
            const int n = v.toInt(&ok);
            if (!ok) return;
            *value = n;
            const QSignalBlocker b(st);
            st->setValue(n);
            changed();
        });
        connect(st, &Stepper::valueChanged, this, [value, changed, t](int n) {
            *value = n;
            t->setText(QString::number(n));
            changed();
        });
    };
    side.cvDistanceSetting = new QWidget(side.box);
    side.cvDistanceSetting->setObjectName(Suffixed("m_cvDistanceSetting", r));
    auto* dist = new QHBoxLayout(side.cvDistanceSetting);
    side.lblDistanceTitle = new QLabel(side.cvDistanceSetting);
    side.lblDistanceTitle->setObjectName(Suffixed("m_lblDistanceTitle", r));
    const auto distanceChanged = [this, s] { m_form.SetDistance(s->right, s->m_nDistanceXValue, s->m_nDistanceYValue); };
    valueField(side.cvDistanceSetting, "m_txtDistanceValueX", "m_stpDistanceValueX", &side.m_nDistanceXValue,
               distanceChanged, side.txtDistanceValueX, side.stpDistanceValueX);
    valueField(side.cvDistanceSetting, "m_txtDistanceValueY", "m_stpDistanceValueY", &side.m_nDistanceYValue,
               distanceChanged, side.txtDistanceValueY, side.stpDistanceValueY);
    dist->addWidget(side.lblDistanceTitle);
    dist->addWidget(new QLabel(QStringLiteral("X"), side.cvDistanceSetting));
    dist->addWidget(side.txtDistanceValueX);
    dist->addWidget(side.stpDistanceValueX);
    dist->addWidget(new QLabel(QStringLiteral("Y"), side.cvDistanceSetting));
    dist->addWidget(side.txtDistanceValueY);
    dist->addWidget(side.stpDistanceValueY);
    col->addWidget(side.cvDistanceSetting);

    side.cvNumInputSetting = new QWidget(side.box);
    side.cvNumInputSetting->setObjectName(Suffixed("m_cvNumInputSetting", r));
    auto* num = new QHBoxLayout(side.cvNumInputSetting);
    side.lblNumInputTitle = new QLabel(side.cvNumInputSetting);
    side.lblNumInputTitle->setObjectName(Suffixed("m_lblNumInputTitle", r));
    valueField(side.cvNumInputSetting, "m_txtNumInputValue", "m_stpNumInputValue", &side.m_nNumValue,
               [this, s] { m_form.SetNumber(s->right, s->m_nNumValue); }, side.txtNumInputValue, side.stpNumInputValue);
    side.txtNumInputValue->setProperty("identifier", r ? QStringLiteral("NumInput_R") : QStringLiteral("NumInput_L"));
    // The number is bounded when its field ends editing.
    connect(side.txtNumInputValue, &QLineEdit::editingFinished, this, [this, s] {
        bool ok = false;
        const long long typed = s->txtNumInputValue->text().toLongLong(&ok);
        s->m_nNumValue = ok ? FuncInputArea::ClampNumber(typed) : s->m_nNumValue;
        s->txtNumInputValue->setText(QString::number(s->m_nNumValue));
        const QSignalBlocker b(s->stpNumInputValue);
        s->stpNumInputValue->setValue(s->m_nNumValue);
        m_form.SetNumber(s->right, s->m_nNumValue);
    });
    num->addWidget(side.lblNumInputTitle);
    num->addWidget(side.txtNumInputValue);
    num->addWidget(side.stpNumInputValue);
    col->addWidget(side.cvNumInputSetting);
    col->addStretch(1);
}

void DialFuncSettingVC::SetDialFuncID(uint8_t func) {
    m_bVCStatus = VCSTS_IDLE;
    DataManager* dm = m_ctx.pDM;
    const bool open = dm != nullptr && m_form.Open(*dm, func);
    InitControl();
    SelectDialFuncID();
    InitSelectItem();
    ReadyForTableView();
    InitSelectTableView();
    ChangeExtraImputArea();
    SetAllColor();
    BlockedControl(!open || !dm->pUSBHID().bConnected());
    StartTimerForUpdateWindow(false);
}

void DialFuncSettingVC::InitControl() {
    const StringTable& s = Strings();
    setWindowTitle(Q(s.Get("SCREEN_DIAL_FUNCTION_SETTING")));
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        m_txtDFTitle[f]->setText(Q(s.Get("SP_FUNC_TYPE_FUNC" + std::to_string(f + 1))));
    }
    m_right.box->setTitle(Q(s.Get("DIAL_FUNC_SETTING_CW")));
    m_left.box->setTitle(Q(s.Get("DIAL_FUNC_SETTING_CCW")));
    for (Side* side : {&m_right, &m_left}) {
        side->lblSensitiveTitle->setText(Q(s.Get("DIAL_FUNC_SETTING_SENSITIVITY")));
        side->lblKeyInputTitle->setText(Q(s.Get("DIAL_FUNC_SETTING_CATEGOLY_KEY")));
        side->txtKeyInputValue->setPlaceholderText(Q(s.Get("DIAL_FUNC_SETTING_CATEGOLY_KEY")));
        side->btnValueClear->setText(Q(s.Get("SETTING_KEY_INPUT_CLR_BUTTON")));
        side->chkControl->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_CTRL")));
        side->chkShift->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_SHIFT")));
        side->chkAlt->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_OPTION")));
        side->chkCommand->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_COMMAND")));
        side->lblNumInputTitle->setText(Q(s.Get("MOUSE_SCROLL_TEXT")));
    }
    m_btnHelp->setText(Q(s.Get("BTN_HELP")));
    m_btnCancel->setText(Q(s.Get("BTN_CANCEL")));
    m_btnSubmit->setText(Q(s.Get("BTN_SUBMIT")));
}

void DialFuncSettingVC::SelectDialFuncID() {
    for (Side* side : {&m_right, &m_left}) {
        for (QListWidget* t : {side->tblCategory, side->tblApplication, side->tblDetail}) t->clearSelection();
    }
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
    side.txtSensitiveValue->setText(QString::number(side.m_nSensitiveValue));
    m_bFilling = false;
}

void DialFuncSettingVC::SetSensitivity(Side& side, long long value) {
    side.m_nSensitiveValue = DialFuncForm::ClampSensitivity(value);
    ShowSensitivity(side);
    m_form.SetSensitivity(m_right.m_nSensitiveValue, m_left.m_nSensitiveValue);
}

void DialFuncSettingVC::ReadyForTableView() {
    if (m_ctx.pDM == nullptr) return;
    m_bFilling = true;
    for (Side* side : {&m_right, &m_left}) {
        for (QListWidget* t : {side->tblCategory, side->tblApplication, side->tblDetail}) {
            t->clear();
            for (const std::string& row : m_form.Rows(t->property("tag").toInt(), *m_ctx.pDM)) t->addItem(Q(row));
        }
    }
    m_bFilling = false;
}

void DialFuncSettingVC::InitSelectTableView() {
    m_bFilling = true;
    for (Side* side : {&m_right, &m_left}) {
        int category = 0, application = 0, detail = 0;
        m_form.SelectedRows(side->right, category, application, detail);
        const std::pair<QListWidget*, int> rows[] = {
            {side->tblCategory, category}, {side->tblApplication, application}, {side->tblDetail, detail}};
        for (const auto& [table, row] : rows) {
            table->clearSelection();
            if (row < table->count()) table->setCurrentRow(row);
        }
    }
    m_bFilling = false;
}

void DialFuncSettingVC::SelectRow(Side& side, int tag, int row) {
    (void)side;
    if (!m_form.ChangeSelectItem(tag, row)) return;
    if (tag % 3 != 2) {
        ReadyForTableView();
        InitSelectTableView();
    }
    ChangeExtraImputArea();
}

void DialFuncSettingVC::ChangeExtraImputArea() {
    using A = FuncInputArea::Area;
    const StringTable& s = Strings();
    for (Side* side : {&m_right, &m_left}) {
        const A area = m_form.InputArea(side->right);
        side->cvKeyInputSetting->setVisible(area == A::Key);
        side->cvDistanceSetting->setVisible(area == A::MouseMove || area == A::JoypadMove);
        side->cvNumInputSetting->setVisible(area == A::Number);
        const MacroDataDialFunc& action = m_form.Action(side->right);
        if (area == A::Key) {
            const FuncInputArea::ModifierBoxes b = FuncInputArea::BoxesFromModifiers(action.bKeyModifier);
            side->chkControl->setChecked(b.control);
            side->chkShift->setChecked(b.shift);
            side->chkAlt->setChecked(b.option);
            side->chkCommand->setChecked(b.command);
            ShowKeyField(*side);
        } else if (area == A::MouseMove || area == A::JoypadMove) {
            side->lblDistanceTitle->setText(Q(s.Get(FuncInputArea::DistanceTitleKey(area))));
            side->m_nDistanceXValue = action.cMoveX;
            side->m_nDistanceYValue = action.cMoveY;
            const QSignalBlocker a(side->stpDistanceValueX), b(side->stpDistanceValueY);
            side->stpDistanceValueX->setValue(side->m_nDistanceXValue);
            side->stpDistanceValueY->setValue(side->m_nDistanceYValue);
            side->txtDistanceValueX->setText(QString::number(side->m_nDistanceXValue));
            side->txtDistanceValueY->setText(QString::number(side->m_nDistanceYValue));
        } else if (area == A::Number) {
            side->m_nNumValue = action.cMoveZ;
            const QSignalBlocker a(side->stpNumInputValue);
            side->stpNumInputValue->setValue(side->m_nNumValue);
            side->txtNumInputValue->setText(QString::number(side->m_nNumValue));
        }
    }
}

void DialFuncSettingVC::ShowKeyField(Side& side) {
    const MacroDataDialFunc& action = m_form.Action(side.right);
    side.txtKeyInputValue->setText(action.pStrKey ? Q(*action.pStrKey) : QString());
}

void DialFuncSettingVC::RenewKeyInputInfo(Side& side) {
    if (m_ctx.pDM == nullptr) return;
    FuncInputArea::ModifierBoxes b;
    b.control = side.chkControl->isChecked();
    b.shift = side.chkShift->isChecked();
    b.option = side.chkAlt->isChecked();
    b.command = side.chkCommand->isChecked();
    m_form.RenewKeyInputInfo(side.right, side.evntKeyInput ? &*side.evntKeyInput : nullptr, b, *m_ctx.pDM);
    if (m_form.Action(side.right).pStrKey) ShowKeyField(side);
}

void DialFuncSettingVC::ClickKeyInputClear(Side& side) {
    if (m_ctx.pDM == nullptr) return;
    for (QCheckBox* c : {side.chkControl, side.chkShift, side.chkAlt, side.chkCommand}) c->setChecked(false);
    side.evntKeyInput.reset();
    m_form.ClearKey(side.right, *m_ctx.pDM);
    side.txtKeyInputValue->clear();
}

bool DialFuncSettingVC::eventFilter(QObject* watched, QEvent* event) {
    Side* side = watched == m_right.txtKeyInputValue ? &m_right
                 : watched == m_left.txtKeyInputValue ? &m_left
                                                      : nullptr;
    if (side == nullptr) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::FocusIn: side->nsnKeyEditing = side->right ? 1 : 2; break;
        case QEvent::FocusOut:
            side->nsnKeyEditing = 0;
            side->evntKeyInput.reset();
            break;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            // Every key goes to the capture, none edits the field or moves the focus.
            HostInputEvent e;
            if (QtKeyEventAdapter::Translate(*static_cast<QKeyEvent*>(event), e)) {
                if (e.type == HostInputEvent::Type::FlagsChanged) {
                    side->evntKeyInput = e;
                } else if (e.type == HostInputEvent::Type::KeyUp) {
                    side->evntKeyInput = e;
                    RenewKeyInputInfo(*side);
                }
            }
            return true;
        }
        case QEvent::ShortcutOverride: event->accept(); return true;
        default: break;
    }
    return QDialog::eventFilter(watched, event);
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
    for (Side* side : {&m_right, &m_left}) side->evntKeyInput.reset();
    SelectDialFuncID();
    InitSelectItem();
    ReadyForTableView();
    InitSelectTableView();
    ChangeExtraImputArea();
}

void DialFuncSettingVC::ClickLEDColorSelect(long tag) {
    if (m_ctx.pDM == nullptr || m_colorScreen || tag < 4 || tag > 7) return;
    lCurrentSelectColorView = tag;
    Log("prepareForSegue segue=LEDColorSettingFromDialFuncSegue, sender=" + std::to_string(tag));
    StopTimerForUpdateWindow();
    auto* screen = new LEDColorSettingVC(m_ctx, this);
    screen->setAttribute(Qt::WA_DeleteOnClose, true);
    screen->SetSelectTagNo(lCurrentSelectColorView, VC_ID);
    m_colorScreen = screen;
    connect(screen, &QDialog::finished, this, [this] { StartTimerForUpdateWindow(true); });
    screen->open();
}

void DialFuncSettingVC::BlockedControl(bool block) {
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        m_btnDFColorSelect[f]->setEnabled(!block);
        m_btnDFSelect[f]->setEnabled(!block);
    }
    for (Side* s : {&m_right, &m_left}) {
        for (QWidget* w : std::initializer_list<QWidget*>{
                 s->tblCategory, s->tblApplication, s->tblDetail, s->sldSensitiveValue, s->txtSensitiveValue,
                 s->stpSensitiveValue, s->txtKeyInputValue, s->btnValueClear, s->chkControl, s->chkShift, s->chkAlt,
                 s->chkCommand, s->txtDistanceValueX, s->stpDistanceValueX, s->txtDistanceValueY, s->stpDistanceValueY,
                 s->txtNumInputValue, s->stpNumInputValue}) {
            w->setEnabled(!block);
        }
    }
    m_btnCancel->setEnabled(!block);
    m_btnSubmit->setEnabled(!block);
}

void DialFuncSettingVC::StartTimerForUpdateWindow(bool redraw) {
    Log("DialFuncSetting :  StartTimerForUpdateWindow");
    m_Timer->start();
    if (redraw) SetAllColor();
}

void DialFuncSettingVC::StopTimerForUpdateWindow() { m_Timer->stop(); }

bool DialFuncSettingVC::IsTimerRunning() const { return m_Timer->isActive(); }

void DialFuncSettingVC::Fail(const std::string& key) {
    m_bVCStatus = VCSTS_IDLE;
    DataManager* dm = m_ctx.pDM;
    BlockedControl(dm == nullptr || !dm->pUSBHID().bConnected());
    if (dm && m_ctx.prompts) m_ctx.prompts->ShowError(dm->Strings().Get("APPLICATION_NAME"), dm->Strings().Get(key));
}

void DialFuncSettingVC::ClickSubmit() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_bVCStatus != VCSTS_IDLE) return;
    const StringTable& s = dm->Strings();
    const bool ok = m_ctx.prompts && m_ctx.prompts->Confirm(s.Get("APPLICATION_NAME"), s.Get("DEVICE_FUNCTION_WRITE_CONFIRM_MSG"));
    if (!ok) {
        Log("Alert result Cancel");
        return;
    }
    Log("Alert result OK");
    m_bVCStatus = VCSTS_WRITING;
    BlockedControl(true);
    std::string error;
    if (m_form.Submit(*dm, error) == DialFuncForm::Submitted::Failed) Fail(error);
}

void DialFuncSettingVC::UpdateAppWindow() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_bInUpdate) return;
    m_bInUpdate = true;
    USBHidManager& hid = dm->pUSBHID();
    if (hid.bUSBStatusUpdate()) {
        hid.SetUSBDetectUpdate(false);
        if (!hid.bConnected()) BlockedControl(true);
    }
    if (dm->bDataUpdate()) {
        Log("DialFuncSetting : Get USB data update flag!(" + std::to_string(m_bVCStatus) + ")");
        dm->SetDataUpdate(false);
        if (!dm->bDataInitialize()) dm->DataInitializeFromMemory();
        const ComResult& result = hid.LastResult();
        const uint8_t status = m_bVCStatus;
        m_bVCStatus = VCSTS_IDLE;
        if (status == VCSTS_WRITING) {
            if (result.Succeeded()) {
                StopTimerForUpdateWindow();
                m_bInUpdate = false;
                accept();
                return;
            }
            // The write did not go through: the screen stays open with the
            // user's edits, so that the write can be tried again.
            BlockedControl(!hid.bConnected());
            m_bInUpdate = false;
            if (m_ctx.prompts) {
                m_ctx.prompts->ShowError(dm->Strings().Get("APPLICATION_NAME"),
                                         JobMessage::Failure("JOB_NAME_WRITE_SETTINGS", result, dm->Strings()));
            }
            return;
        }
        BlockedControl(!hid.bConnected());
    }
    m_bInUpdate = false;
}

void DialFuncSettingVC::ClickCancel() {
    if (m_bVCStatus != VCSTS_IDLE) return;
    StopTimerForUpdateWindow();
    QDialog::reject();
}

void DialFuncSettingVC::reject() { ClickCancel(); }

}  // namespace kelvadeck
