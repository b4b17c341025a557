#include "screens/InputSupportDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/DataManager.h"
#include "screens/InputSupportJoysticButton.h"
#include "screens/InputSupportMouseButton.h"
#include "screens/InputSupportMouseWheel.h"
#include "screens/InputSupportMoveDistance.h"
#include "screens/InputSupportMultimediaButton.h"
#include "screens/InputSupportNumberInput.h"
#include "screens/InputSupportkeyboard.h"

namespace kelvadeck {

InputSupportDialog::InputSupportDialog(DataManager& dm, QWidget* parent) : QDialog(parent), m_dm(dm) {
    setModal(true);
    auto* root = new QVBoxLayout(this);
    m_body = new QVBoxLayout;
    root->addLayout(m_body);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnCancel = new QPushButton(QString::fromStdString(dm.Strings().Get("BTN_CANCEL")), this);
    m_btnCancel->setObjectName(QStringLiteral("m_btnCancel"));
    m_btnSubmit = new QPushButton(QString::fromStdString(dm.Strings().Get("BTN_SETUP")), this);
    m_btnSubmit->setObjectName(QStringLiteral("m_btnSubmit"));
    // Return must reach the key capture view, not press a button.
    m_btnCancel->setAutoDefault(false);
    m_btnSubmit->setAutoDefault(false);
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnSubmit);
    root->addLayout(buttons);
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
    auto* group = new QButtonGroup(this);
    group->setObjectName(QString::fromLatin1(groupName));
    auto* grid = new QGridLayout;
    int position = 0;
    for (const auto& [id, title] : choices) {
        auto* radio = new QRadioButton(QString::fromStdString(title), this);
        radio->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(groupName)).arg(id));
        radio->setEnabled(!title.empty());
        group->addButton(radio, id);
        grid->addWidget(radio, position / columns, position % columns);
        ++position;
    }
    m_body->addLayout(grid);
    return group;
}

void InputSupportDialog::Preselect(QButtonGroup* group, int value) {
    QAbstractButton* b = group->button(value);
    if (b != nullptr && b->isEnabled()) b->setChecked(true);
}

void InputSupportDialog::SetCurrentMDS(const MacroDataScript& step) {
    pclsCurrentMDS = step;
    InitSetting();
    setWindowTitle(QString::fromStdString(m_dm.Strings().Get(MacroStepKinds::DialogTitleKey(step.bControlItemNo))));
}

void InputSupportDialog::ClickSubmit() {
    ApplyToStep();
    Finish();
}

void InputSupportDialog::Finish() {
    emit stepChanged();
    accept();
}

void InputSupportDialog::ClickCancel() { reject(); }

}  // namespace kelvadeck
