#include "screens/InputSupportDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/DataManager.h"
#include "screens/InputSupportJoysticButton.h"
#include "screens/InputSupportMouseButton.h"
#include "screens/InputSupportMouseWheel.h"
#include "screens/InputSupportMoveDistance.h"
#include "screens/InputSupportMultimediaButton.h"
#include "screens/InputSupportNumberInput.h"
#include "screens/InputSupportkeyboard.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {

// Room the window's title bar takes beside its title: icon and buttons.
constexpr int kTitleBarExtra = 160;

}  // namespace

InputSupportDialog::InputSupportDialog(DataManager& dm, QWidget* parent) : QDialog(parent), m_dm(dm) {
    setModal(true);
    auto* root = new QVBoxLayout(this);
    m_body = new QVBoxLayout;
    root->addLayout(m_body);
    auto* buttons = new QDialogButtonBox(this);
    m_btnCancel = buttons->addButton(Q(dm.Strings().Get("BTN_CANCEL")), QDialogButtonBox::RejectRole);
    m_btnCancel->setObjectName(QStringLiteral("m_btnCancel"));
    m_btnSubmit = buttons->addButton(Q(dm.Strings().Get("OK")), QDialogButtonBox::AcceptRole);
    m_btnSubmit->setObjectName(QStringLiteral("m_btnSubmit"));
    // Enter confirms (when there is a value); only the confirm button takes it.
    m_btnCancel->setAutoDefault(false);
    m_btnSubmit->setAutoDefault(false);
    m_btnSubmit->setDefault(true);
    root->addWidget(buttons);
    connect(m_btnCancel, &QPushButton::clicked, this, &InputSupportDialog::ClickCancel);
    connect(m_btnSubmit, &QPushButton::clicked, this, &InputSupportDialog::ClickSubmit);
}

InputSupportDialog* InputSupportDialog::Create(MacroStepKinds::Dialog kind, DataManager& dm, QWidget* parent) {
    using Dialog = MacroStepKinds::Dialog;
    switch (kind) {
        case Dialog::Number: return new InputSupportNumberInput(dm, parent);
        case Dialog::Joypad: return new InputSupportJoysticButton(dm, parent);
        case Dialog::MouseButton: return new InputSupportMouseButton(dm, parent);
        case Dialog::Multimedia: return new InputSupportMultimediaButton(dm, parent);
        case Dialog::Distance: return new InputSupportMoveDistance(dm, parent);
        case Dialog::KeyInput: return new InputSupportkeyboard(dm, parent);
        case Dialog::Wheel: return new InputSupportMouseWheel(dm, parent);
        case Dialog::None: break;
    }
    return nullptr;
}

QLabel* InputSupportDialog::MakeTitleLabel(const char* objectName) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setWordWrap(true);
    m_body->addWidget(label);
    return label;
}

QButtonGroup* InputSupportDialog::MakeChoices(const char* groupName, const std::vector<std::pair<int, std::string>>& choices,
                                             int columns) {
    m_choices = new QButtonGroup(this);
    m_choices->setObjectName(QString::fromLatin1(groupName));
    auto* grid = new QGridLayout;
    int position = 0;
    for (const auto& [id, title] : choices) {
        if (title.empty()) continue;
        auto* radio = new QRadioButton(Q(title), this);
        radio->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(groupName)).arg(id));
        m_choices->addButton(radio, id);
        grid->addWidget(radio, position / columns, position % columns);
        ++position;
    }
    m_body->addLayout(grid);
    connect(m_choices, &QButtonGroup::idToggled, this, &InputSupportDialog::UpdateSubmit);
    return m_choices;
}

void InputSupportDialog::Preselect(QButtonGroup* group, int value) {
    if (QAbstractButton* b = group->button(value)) b->setChecked(true);
}

bool InputSupportDialog::HasValue() const { return m_choices == nullptr || m_choices->checkedId() >= 0; }

QWidget* InputSupportDialog::ValueControl() const {
    if (m_choices == nullptr) return nullptr;
    if (QAbstractButton* chosen = m_choices->checkedButton()) return chosen;
    const QList<QAbstractButton*> all = m_choices->buttons();
    return all.isEmpty() ? nullptr : all.front();
}

void InputSupportDialog::UpdateSubmit() { m_btnSubmit->setEnabled(HasValue()); }

void InputSupportDialog::SetCurrentMDS(const MacroDataScript& step, bool adding) {
    pclsCurrentMDS = step;
    InitSetting();
    UpdateSubmit();
    const StringTable& s = m_dm.Strings();
    m_btnSubmit->setText(Q(s.Get(adding ? "BTN_ADD_STEP" : "OK")));
    setWindowTitle(Q(s.Get(MacroStepKinds::DialogTitleKey(step.bControlItemNo))));
    // Wide enough for its whole title.
    setMinimumWidth(std::max(minimumSizeHint().width(), fontMetrics().horizontalAdvance(windowTitle()) + kTitleBarExtra));
}

void InputSupportDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWidget* w = ValueControl()) w->setFocus(Qt::OtherFocusReason);
}

void InputSupportDialog::ClickSubmit() {
    if (!HasValue()) return;
    ApplyToStep();
    Finish();
}

void InputSupportDialog::Finish() {
    emit stepChanged();
    accept();
}

void InputSupportDialog::ClickCancel() { reject(); }

}  // namespace kelvadeck
