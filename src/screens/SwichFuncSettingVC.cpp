#include "screens/SwichFuncSettingVC.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/DataManager.h"
#include "device/USBHidManager.h"
#include "model/Constants.h"
#include "screenlogic/JobMessage.h"
#include "screens/HelpLauncher.h"
#include "screens/QtKeyEventAdapter.h"
#include "screens/Stepper.h"
#include "screens/UserPrompts.h"

namespace kelvadeck {

namespace {

using C = Constants;
constexpr int kTimerMs = 200;
constexpr int kValueMin = -127;
constexpr int kValueMax = 127;

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

SwichFuncSettingVC::SwichFuncSettingVC(ScreenContext& context, QWidget* parent) : QDialog(parent), m_ctx(context) {
    setObjectName(QStringLiteral("SwichFuncSettingVC"));
    m_Timer = new QTimer(this);
    m_Timer->setInterval(kTimerMs);
    connect(m_Timer, &QTimer::timeout, this, &SwichFuncSettingVC::UpdateAppWindow);
    BuildControls();
}

SwichFuncSettingVC::~SwichFuncSettingVC() = default;

void SwichFuncSettingVC::Log(const std::string& line) const {
    if (m_ctx.pDM) m_ctx.pDM->Log().Debug(line);
}

void SwichFuncSettingVC::BuildControls() {
    auto* root = new QVBoxLayout(this);
    m_lblSelectName = new QLabel(this);
    m_lblSelectName->setObjectName(QStringLiteral("m_lblSelectName"));
    root->addWidget(m_lblSelectName);

    auto* tables = new QHBoxLayout;
    auto table = [this, tables](const QString& name, int tag) {
        auto* t = new QListWidget(this);
        t->setObjectName(name);
        t->setProperty("tag", tag);
        t->setMinimumSize(200, 260);
        connect(t, &QListWidget::itemClicked, this, [this, t, tag](QListWidgetItem* item) {
            if (!m_bFilling) SelectRow(tag, t->row(item));
        });
        tables->addWidget(t);
        return t;
    };
    m_tblCategory = table(QStringLiteral("m_tblCategory"), 0);
    m_tblApplication = table(QStringLiteral("m_tblApplication"), 1);
    m_tblDetail = table(QStringLiteral("m_tblDetail"), 2);
    root->addLayout(tables);

    auto* dialDefault = new QHBoxLayout;
    m_lblDialFuncDefault = new QLabel(this);
    m_lblDialFuncDefault->setObjectName(QStringLiteral("m_lblDialFuncDefault"));
    m_cmbDialFuncDefault = new QComboBox(this);
    m_cmbDialFuncDefault->setObjectName(QStringLiteral("m_cmbDialFuncDefault"));
    connect(m_cmbDialFuncDefault, &QComboBox::activated, this, [this](int index) { m_form.ChangeEncoderDefault(index); });
    dialDefault->addWidget(m_lblDialFuncDefault);
    dialDefault->addWidget(m_cmbDialFuncDefault, 1);
    root->addLayout(dialDefault);

    m_lblFuncSettingTitle = new QLabel(this);
    m_lblFuncSettingTitle->setObjectName(QStringLiteral("m_lblFuncSettingTitle"));
    root->addWidget(m_lblFuncSettingTitle);

    // Key area.
    m_cvKeyInputSetting = new QWidget(this);
    m_cvKeyInputSetting->setObjectName(QStringLiteral("m_cvKeyInputSetting"));
    auto* key = new QGridLayout(m_cvKeyInputSetting);
    m_lblKeyInputTitle = new QLabel(m_cvKeyInputSetting);
    m_lblKeyInputTitle->setObjectName(QStringLiteral("m_lblKeyInputTitle"));
    m_txtKeyInputValue = new QLineEdit(m_cvKeyInputSetting);
    m_txtKeyInputValue->setObjectName(QStringLiteral("m_txtKeyInputValue"));
    m_txtKeyInputValue->setProperty("identifier", QStringLiteral("TxtKeyInput"));
    m_txtKeyInputValue->setProperty("tag", 1);
    // The field shows the key's name; typing only captures keys.
    m_txtKeyInputValue->setReadOnly(true);
    m_txtKeyInputValue->installEventFilter(this);
    m_btnValueClear = new QPushButton(m_cvKeyInputSetting);
    m_btnValueClear->setObjectName(QStringLiteral("m_btnValueClear"));
    m_btnValueClear->setProperty("tag", 1);
    connect(m_btnValueClear, &QPushButton::clicked, this, &SwichFuncSettingVC::ClickKeyInputClear);
    auto box = [this](const QString& name) {
        auto* c = new QCheckBox(m_cvKeyInputSetting);
        c->setObjectName(name);
        connect(c, &QCheckBox::clicked, this, [this] { RenewKeyInputInfo(); });
        return c;
    };
    m_chkControl = box(QStringLiteral("m_chkControl"));
    m_chkShift = box(QStringLiteral("m_chkShift"));
    m_chkAlt = box(QStringLiteral("m_chkAlt"));
    m_chkCommand = box(QStringLiteral("m_chkCommand"));
    key->addWidget(m_lblKeyInputTitle, 0, 0);
    key->addWidget(m_txtKeyInputValue, 0, 1, 1, 3);
    key->addWidget(m_btnValueClear, 0, 4);
    key->addWidget(m_chkControl, 1, 1);
    key->addWidget(m_chkShift, 1, 2);
    key->addWidget(m_chkAlt, 1, 3);
    key->addWidget(m_chkCommand, 1, 4);
    root->addWidget(m_cvKeyInputSetting);

    // A value field and its stepper edit one number.
    auto valueField = [this](QWidget* parent, const QString& textName, const QString& stepperName, int* value,
                             const std::function<void()>& changed, QLineEdit*& text, Stepper*& stepper) {
        text = new QLineEdit(parent);
        text->setObjectName(textName);
        stepper = new Stepper(parent);
        stepper->setObjectName(stepperName);
        stepper->setRange(kValueMin, kValueMax);
        QLineEdit* t = text;
        Stepper* s = stepper;
        connect(t, &QLineEdit::textEdited, this, [value, changed, s](const QString& v) {
            bool ok = false;
            const int n = v.toInt(&ok);
            if (!ok) return;
            *value = n;
            const QSignalBlocker b(s);
            s->setValue(n);
            changed();
        });
        connect(s, &Stepper::valueChanged, this, [value, changed, t](int n) {
            *value = n;
            t->setText(QString::number(n));
            changed();
        });
    };
    m_cvDistanceSetting = new QWidget(this);
    m_cvDistanceSetting->setObjectName(QStringLiteral("m_cvDistanceSetting"));
    auto* dist = new QHBoxLayout(m_cvDistanceSetting);
    m_lblDistanceTitle = new QLabel(m_cvDistanceSetting);
    m_lblDistanceTitle->setObjectName(QStringLiteral("m_lblDistanceTitle"));
    const auto distanceChanged = [this] { m_form.SetDistance(m_nDistanceXValue, m_nDistanceYValue); };
    valueField(m_cvDistanceSetting, QStringLiteral("m_txtDistanceValueX"), QStringLiteral("m_stpDistanceValueX"),
               &m_nDistanceXValue, distanceChanged, m_txtDistanceValueX, m_stpDistanceValueX);
    valueField(m_cvDistanceSetting, QStringLiteral("m_txtDistanceValueY"), QStringLiteral("m_stpDistanceValueY"),
               &m_nDistanceYValue, distanceChanged, m_txtDistanceValueY, m_stpDistanceValueY);
    dist->addWidget(m_lblDistanceTitle);
    dist->addWidget(new QLabel(QStringLiteral("X"), m_cvDistanceSetting));
    dist->addWidget(m_txtDistanceValueX);
    dist->addWidget(m_stpDistanceValueX);
    dist->addWidget(new QLabel(QStringLiteral("Y"), m_cvDistanceSetting));
    dist->addWidget(m_txtDistanceValueY);
    dist->addWidget(m_stpDistanceValueY);
    root->addWidget(m_cvDistanceSetting);

    m_cvNumInputSetting = new QWidget(this);
    m_cvNumInputSetting->setObjectName(QStringLiteral("m_cvNumInputSetting"));
    auto* num = new QHBoxLayout(m_cvNumInputSetting);
    m_lblNumInputTitle = new QLabel(m_cvNumInputSetting);
    m_lblNumInputTitle->setObjectName(QStringLiteral("m_lblNumInputTitle"));
    valueField(m_cvNumInputSetting, QStringLiteral("m_txtNumInputValue"), QStringLiteral("m_stpNumInputValue"),
               &m_nNumValue, [this] { m_form.SetNumber(m_nNumValue); }, m_txtNumInputValue, m_stpNumInputValue);
    m_txtNumInputValue->setProperty("identifier", QStringLiteral("NumInput"));
    // The number is bounded when its field ends editing.
    connect(m_txtNumInputValue, &QLineEdit::editingFinished, this, [this] {
        bool ok = false;
        const long long typed = m_txtNumInputValue->text().toLongLong(&ok);
        m_nNumValue = ok ? FuncInputArea::ClampNumber(typed) : m_nNumValue;
        m_txtNumInputValue->setText(QString::number(m_nNumValue));
        const QSignalBlocker b(m_stpNumInputValue);
        m_stpNumInputValue->setValue(m_nNumValue);
        m_form.SetNumber(m_nNumValue);
    });
    num->addWidget(m_lblNumInputTitle);
    num->addWidget(m_txtNumInputValue);
    num->addWidget(m_stpNumInputValue);
    root->addWidget(m_cvNumInputSetting);

    auto* buttons = new QHBoxLayout;
    m_btnHelp = new QPushButton(this);
    m_btnHelp->setObjectName(QStringLiteral("m_btnHelp"));
    m_btnCancel = new QPushButton(this);
    m_btnCancel->setObjectName(QStringLiteral("m_btnCancel"));
    m_btnSubmit = new QPushButton(this);
    m_btnSubmit->setObjectName(QStringLiteral("m_btnSubmit"));
    m_btnSubmit->setAutoDefault(false);
    m_btnCancel->setAutoDefault(false);
    buttons->addWidget(m_btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnSubmit);
    root->addLayout(buttons);
    connect(m_btnHelp, &QPushButton::clicked, this, [this] { HelpLauncher::Open(m_ctx, "button-function.html"); });
    connect(m_btnCancel, &QPushButton::clicked, this, &SwichFuncSettingVC::ClickCancel);
    connect(m_btnSubmit, &QPushButton::clicked, this, &SwichFuncSettingVC::ClickSubmit);
}

void SwichFuncSettingVC::SetSwitchFuncID(uint8_t button) {
    m_bVCStatus = VCSTS_IDLE;
    DataManager* dm = m_ctx.pDM;
    const bool open = dm != nullptr && m_form.Open(*dm, button);
    InitControl();
    ReadyForTableView();
    InitSelectTableView();
    ChangeExtraImputArea();
    BlockedControl(!open || !dm->pUSBHID().bConnected());
    StartTimerForUpdateWindow(false);
}

void SwichFuncSettingVC::InitControl() {
    const StringTable fallback;
    const StringTable& s = m_ctx.pDM ? m_ctx.pDM->Strings() : fallback;
    setWindowTitle(Q(s.Get("SCREEN_FUNCTION_SETTING")));
    m_lblFuncSettingTitle->setText(Q(s.Get("SETTING_VALUE")));
    m_lblDialFuncDefault->setText(Q(s.Get("FUNC_SETTING_ENCODER_DEFAULT_SETTING_TITLE")));
    m_lblKeyInputTitle->setText(Q(s.Get("DIAL_FUNC_SETTING_CATEGOLY_KEY")));
    m_txtKeyInputValue->setPlaceholderText(Q(s.Get("DIAL_FUNC_SETTING_CATEGOLY_KEY")));
    m_btnValueClear->setText(Q(s.Get("SETTING_KEY_INPUT_CLR_BUTTON")));
    m_chkControl->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_CTRL")));
    m_chkShift->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_SHIFT")));
    m_chkAlt->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_OPTION")));
    m_chkCommand->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_COMMAND")));
    m_lblNumInputTitle->setText(Q(s.Get("MOUSE_SCROLL_TEXT")));
    m_btnHelp->setText(Q(s.Get("BTN_HELP")));
    m_btnCancel->setText(Q(s.Get("BTN_CANCEL")));
    m_btnSubmit->setText(Q(s.Get("BTN_SUBMIT")));
    const bool push = m_form.bSelectSwitchFuncID == C::BUTTON_11_ID;
    m_lblDialFuncDefault->setVisible(push);
    m_cmbDialFuncDefault->setVisible(push);
    m_cmbDialFuncDefault->clear();
    if (push) {
        for (const std::string& item : m_form.DialDefaultItems(s)) m_cmbDialFuncDefault->addItem(Q(item));
        m_cmbDialFuncDefault->setCurrentIndex(m_form.m_pPSIShadow.bEncoderDefaultFuncNo);
    }
    if (m_ctx.pDM) m_lblSelectName->setText(Q(m_form.CurrentAssignmentText(*m_ctx.pDM)));
}

void SwichFuncSettingVC::ReadyForTableView() {
    if (m_ctx.pDM == nullptr) return;
    m_bFilling = true;
    for (QListWidget* t : {m_tblCategory, m_tblApplication, m_tblDetail}) {
        t->clear();
        for (const std::string& row : m_form.Rows(t->property("tag").toInt(), *m_ctx.pDM)) t->addItem(Q(row));
    }
    m_bFilling = false;
}

void SwichFuncSettingVC::InitSelectTableView() {
    m_bFilling = true;
    const SelectItemElemForSwich& n = m_form.pclsNewSIE;
    const std::pair<QListWidget*, int> rows[] = {
        {m_tblCategory, n.bItemID1}, {m_tblApplication, n.bItemID2}, {m_tblDetail, n.bItemID3}};
    for (const auto& [table, row] : rows) {
        table->clearSelection();
        if (row < table->count()) table->setCurrentRow(row);
    }
    m_bFilling = false;
}

void SwichFuncSettingVC::SelectRow(int tag, int row) {
    if (!m_form.ChangeSelectItem(tag, row)) return;
    if (tag == 0 || tag == 1) {
        ReadyForTableView();
        InitSelectTableView();
    }
    ChangeExtraImputArea();
}

void SwichFuncSettingVC::ChangeExtraImputArea() {
    const FuncInputArea::Area area = m_form.InputArea();
    using A = FuncInputArea::Area;
    m_cvKeyInputSetting->setVisible(area == A::Key);
    m_cvDistanceSetting->setVisible(area == A::MouseMove || area == A::JoypadMove);
    m_cvNumInputSetting->setVisible(area == A::Number);
    const MacroDataDialFunc& action = m_form.Action();
    const StringTable fallback;
    const StringTable& s = m_ctx.pDM ? m_ctx.pDM->Strings() : fallback;
    if (area == A::Key) {
        const FuncInputArea::ModifierBoxes b = FuncInputArea::BoxesFromModifiers(action.bKeyModifier);
        m_chkControl->setChecked(b.control);
        m_chkShift->setChecked(b.shift);
        m_chkAlt->setChecked(b.option);
        m_chkCommand->setChecked(b.command);
        ShowKeyField();
    } else if (area == A::MouseMove || area == A::JoypadMove) {
        m_lblDistanceTitle->setText(Q(s.Get(FuncInputArea::DistanceTitleKey(area))));
        m_nDistanceXValue = action.cMoveX;
        m_nDistanceYValue = action.cMoveY;
        const QSignalBlocker a(m_stpDistanceValueX), b(m_stpDistanceValueY);
        m_stpDistanceValueX->setValue(m_nDistanceXValue);
        m_stpDistanceValueY->setValue(m_nDistanceYValue);
        m_txtDistanceValueX->setText(QString::number(m_nDistanceXValue));
        m_txtDistanceValueY->setText(QString::number(m_nDistanceYValue));
    } else if (area == A::Number) {
        m_nNumValue = action.cMoveZ;
        const QSignalBlocker a(m_stpNumInputValue);
        m_stpNumInputValue->setValue(m_nNumValue);
        m_txtNumInputValue->setText(QString::number(m_nNumValue));
    }
}

void SwichFuncSettingVC::ShowKeyField() {
    const MacroDataDialFunc& action = m_form.Action();
    m_txtKeyInputValue->setText(action.pStrKey ? Q(*action.pStrKey) : QString());
}

void SwichFuncSettingVC::RenewKeyInputInfo() {
    if (m_ctx.pDM == nullptr) return;
    FuncInputArea::ModifierBoxes b;
    b.control = m_chkControl->isChecked();
    b.shift = m_chkShift->isChecked();
    b.option = m_chkAlt->isChecked();
    b.command = m_chkCommand->isChecked();
    m_form.RenewKeyInputInfo(evntKeyInput ? &*evntKeyInput : nullptr, b, *m_ctx.pDM);
    if (m_form.Action().pStrKey) ShowKeyField();
}

void SwichFuncSettingVC::ClickKeyInputClear() {
    if (m_ctx.pDM == nullptr) return;
    for (QCheckBox* c : {m_chkControl, m_chkShift, m_chkAlt, m_chkCommand}) c->setChecked(false);
    evntKeyInput.reset();
    m_form.ClearKey(*m_ctx.pDM);
    m_txtKeyInputValue->clear();
}

bool SwichFuncSettingVC::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_txtKeyInputValue) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::FocusIn: nsnKeyEditing = 1; break;
        case QEvent::FocusOut:
            nsnKeyEditing = 0;
            evntKeyInput.reset();
            break;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            // Every key goes to the capture, none edits the field or moves the focus.
            HostInputEvent e;
            if (QtKeyEventAdapter::Translate(*static_cast<QKeyEvent*>(event), e)) {
                if (e.type == HostInputEvent::Type::FlagsChanged) {
                    evntKeyInput = e;
                } else if (e.type == HostInputEvent::Type::KeyUp) {
                    evntKeyInput = e;
                    RenewKeyInputInfo();
                }
            }
            return true;
        }
        case QEvent::ShortcutOverride: event->accept(); return true;
        default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void SwichFuncSettingVC::BlockedControl(bool block) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_tblCategory, m_tblApplication, m_tblDetail, m_cmbDialFuncDefault, m_txtKeyInputValue, m_btnValueClear,
             m_chkControl, m_chkShift, m_chkAlt, m_chkCommand, m_txtDistanceValueX, m_stpDistanceValueX,
             m_txtDistanceValueY, m_stpDistanceValueY, m_txtNumInputValue, m_stpNumInputValue, m_btnCancel, m_btnSubmit}) {
        w->setEnabled(!block);
    }
}

void SwichFuncSettingVC::StartTimerForUpdateWindow(bool) {
    Log("SwitchFuncSetting :  StartTimerForUpdateWindow");
    m_Timer->start();
}

void SwichFuncSettingVC::StopTimerForUpdateWindow() { m_Timer->stop(); }

void SwichFuncSettingVC::Fail(const std::string& key) {
    m_bVCStatus = VCSTS_IDLE;
    DataManager* dm = m_ctx.pDM;
    BlockedControl(dm == nullptr || !dm->pUSBHID().bConnected());
    if (dm && m_ctx.prompts) m_ctx.prompts->ShowError(dm->Strings().Get("APPLICATION_NAME"), dm->Strings().Get(key));
}

void SwichFuncSettingVC::ClickSubmit() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_bVCStatus != VCSTS_IDLE) return;
    const StringTable& s = dm->Strings();
    const bool ok = m_ctx.prompts && m_ctx.prompts->Confirm(s.Get("APPLICATION_NAME"), s.Get("DEVICE_BASE_BUTTON_SETUP_WRITE_CONFIRM_MSG"));
    if (!ok) {
        Log("Alert result Cancel");
        return;
    }
    Log("Alert result OK");
    BlockedControl(true);
    std::string error;
    switch (m_form.Submit(*dm, error)) {
        case SwitchFuncForm::Submitted::Failed: Fail(error); break;
        case SwitchFuncForm::Submitted::ReadingSector: m_bVCStatus = VCSTS_READING; break;
        case SwitchFuncForm::Submitted::Writing: m_bVCStatus = VCSTS_WRITING; break;
    }
}

void SwichFuncSettingVC::UpdateAppWindow() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_bInUpdate) return;
    m_bInUpdate = true;
    USBHidManager& hid = dm->pUSBHID();
    if (hid.bUSBStatusUpdate()) {
        hid.SetUSBDetectUpdate(false);
        if (!hid.bConnected()) BlockedControl(true);
    }
    if (dm->bDataUpdate()) {
        Log("SwitchFuncSetting : Get USB data update flag2(" + std::to_string(m_bVCStatus) + ")");
        dm->SetDataUpdate(false);
        if (!dm->bDataInitialize()) dm->DataInitializeFromMemory();
        const ComResult& result = hid.LastResult();
        const uint8_t status = m_bVCStatus;
        m_bVCStatus = VCSTS_IDLE;
        if (status == VCSTS_READING) {
            std::string error;
            if (!result.Succeeded()) {
                // The read failed: nothing was written, the model is as before.
                m_form.ContinueAfterSectorRead(*dm, false, error);
                m_bInUpdate = false;
                if (m_ctx.prompts) {
                    m_ctx.prompts->ShowError(dm->Strings().Get("APPLICATION_NAME"),
                                             JobMessage::Failure("JOB_NAME_PRESET_SLOT_READ", result, dm->Strings()));
                }
                BlockedControl(!hid.bConnected());
                return;
            }
            if (m_form.ContinueAfterSectorRead(*dm, true, error) == SwitchFuncForm::Submitted::Writing) {
                m_bVCStatus = VCSTS_WRITING;
            } else {
                m_bInUpdate = false;
                Fail(error);
                return;
            }
        } else if (status == VCSTS_WRITING) {
            if (result.Succeeded()) {
                StopTimerForUpdateWindow();
                m_bInUpdate = false;
                accept();
                return;
            }
            BlockedControl(!hid.bConnected());
            m_bInUpdate = false;
            if (m_ctx.prompts) {
                m_ctx.prompts->ShowError(dm->Strings().Get("APPLICATION_NAME"),
                                         JobMessage::Failure("JOB_NAME_WRITE_SETTINGS", result, dm->Strings()));
            }
            return;
        } else {
            BlockedControl(!hid.bConnected());
        }
    }
    m_bInUpdate = false;
}

void SwichFuncSettingVC::ClickCancel() {
    if (m_bVCStatus != VCSTS_IDLE) return;
    StopTimerForUpdateWindow();
    QDialog::reject();
}

void SwichFuncSettingVC::reject() { ClickCancel(); }

}  // namespace kelvadeck
