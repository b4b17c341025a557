#include "screens/AppModeRulesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "model/StringTable.h"
#include "screens/ModeChoices.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {

QComboBox* ModeBox(const StringTable& s, int mode, QWidget* parent) {
    auto* box = new QComboBox(parent);
    AddModeChoices(*box, s);
    box->setCurrentIndex(mode - 1);
    return box;
}

}  // namespace

AppModeRulesDialog::AppModeRulesDialog(const StringTable& strings, const AppModeRules& rules, const QString& status,
                                       const std::vector<std::string>& suggestions, Saver save, Presence presence,
                                       QWidget* parent)
    : QDialog(parent), m_strings(strings), m_save(std::move(save)), m_trayAvailable(presence.trayAvailable) {
    const StringTable& s = m_strings;
    setObjectName(QStringLiteral("AppModeRulesDialog"));
    setWindowTitle(Q(s.Get("APP_MODES_TITLE")));
    auto* layout = new QVBoxLayout(this);

    auto* intro = new QLabel(Q(s.Get("APP_MODES_INTRO")), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* state = new QLabel(status, this);
    state->setObjectName(QStringLiteral("m_lblFollowState"));
    state->setWordWrap(true);
    layout->addWidget(state);

    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName(QStringLiteral("m_tblRules"));
    m_table->setHorizontalHeaderLabels({Q(s.Get("APP_MODES_COL_APP")), Q(s.Get("APP_MODES_COL_MODE"))});
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const AppModeRules::Rule& r : rules.rules) InsertRow(m_table->rowCount(), Q(r.app), r.mode);
    layout->addWidget(m_table, 1);

    auto* addRow = new QHBoxLayout;
    m_newApp = new QComboBox(this);
    m_newApp->setObjectName(QStringLiteral("m_cmbNewApp"));
    m_newApp->setEditable(true);
    m_newApp->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& name : suggestions) m_newApp->addItem(Q(name));
    m_newApp->setCurrentText(QString());
    m_newApp->lineEdit()->setPlaceholderText(Q(s.Get("APP_MODES_PICK")));
    m_newApp->lineEdit()->setMaxLength(200);
    addRow->addWidget(m_newApp, 1);
    auto* add = new QPushButton(Q(s.Get("APP_MODES_ADD")), this);
    add->setObjectName(QStringLiteral("m_btnAddRule"));
    add->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &AppModeRulesDialog::AddTyped);
    connect(m_newApp->lineEdit(), &QLineEdit::returnPressed, this, &AppModeRulesDialog::AddTyped);
    addRow->addWidget(add);
    for (const auto& [key, by] : {std::pair{"APP_MODES_UP", -1}, std::pair{"APP_MODES_DOWN", 1}}) {
        auto* move = new QPushButton(Q(s.Get(key)), this);
        move->setAutoDefault(false);
        connect(move, &QPushButton::clicked, this, [this, by = by] { MoveSelected(by); });
        addRow->addWidget(move);
    }
    auto* remove = new QPushButton(Q(s.Get("APP_MODES_REMOVE")), this);
    remove->setObjectName(QStringLiteral("m_btnRemoveRule"));
    remove->setAutoDefault(false);
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_table->currentRow() >= 0) m_table->removeRow(m_table->currentRow());
    });
    addRow->addWidget(remove);
    layout->addLayout(addRow);

    auto* others = new QHBoxLayout;
    others->addWidget(new QLabel(Q(s.Get("APP_MODES_OTHERS")), this));
    m_fallback = new QComboBox(this);
    m_fallback->setObjectName(QStringLiteral("m_cmbFallback"));
    m_fallback->addItem(Q(s.Get("APP_MODES_STAY")), 0);
    AddModeChoices(*m_fallback, s);
    m_fallback->setCurrentIndex(rules.fallback.value_or(0));
    others->addWidget(m_fallback, 1);
    layout->addLayout(others);

    m_inTray = new QCheckBox(Q(s.Get("APP_MODES_IN_TRAY")), this);
    m_inTray->setObjectName(QStringLiteral("m_chkInTray"));
    m_inTray->setChecked(presence.inTray);
    m_atLogin = new QCheckBox(Q(s.Get("APP_MODES_AT_LOGIN")), this);
    m_atLogin->setObjectName(QStringLiteral("m_chkAtLogin"));
    m_atLogin->setChecked(presence.atLogin && presence.inTray);
    m_atLogin->setEnabled(presence.inTray);
    connect(m_inTray, &QCheckBox::toggled, m_atLogin, [this](bool on) {
        m_atLogin->setEnabled(on);
        if (!on) m_atLogin->setChecked(false);
    });
    m_inTray->setVisible(presence.trayAvailable);
    m_atLogin->setVisible(presence.trayAvailable);
    layout->addWidget(m_inTray);
    layout->addWidget(m_atLogin);

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("m_lblRulesError"));
    m_error->setWordWrap(true);
    m_error->hide();
    layout->addWidget(m_error);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Save)->setText(Q(s.Get("BTN_SAVE")));
    buttons->button(QDialogButtonBox::Save)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &AppModeRulesDialog::Save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 420);
}

void AppModeRulesDialog::InsertRow(int row, const QString& app, int mode) {
    m_table->insertRow(row);
    m_table->setItem(row, 0, new QTableWidgetItem(app));
    m_table->setCellWidget(row, 1, ModeBox(m_strings, mode, m_table));
}

void AppModeRulesDialog::AddTyped() {
    const QString app = m_newApp->currentText().trimmed();
    AppModeRules check;
    if (app.isEmpty()) return;
    if (!check.Set(app.toStdString(), 1)) {
        m_error->setText(Q(m_strings.Get("APP_MODES_BAD_NAME")).arg(app));
        m_error->show();
        return;
    }
    m_error->hide();
    for (int row = 0; row < m_table->rowCount(); ++row) {
        if (m_table->item(row, 0)->text().compare(app, Qt::CaseInsensitive) == 0) {
            m_table->selectRow(row);
            return;
        }
    }
    InsertRow(m_table->rowCount(), app, 1);
    m_table->selectRow(m_table->rowCount() - 1);
    m_newApp->setCurrentText(QString());
}

void AppModeRulesDialog::MoveSelected(int by) {
    const int row = m_table->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= m_table->rowCount()) return;
    const QString app = m_table->item(row, 0)->text();
    const int mode = static_cast<QComboBox*>(m_table->cellWidget(row, 1))->currentData().toInt();
    m_table->removeRow(row);
    InsertRow(to, app, mode);
    m_table->selectRow(to);
}

AppModeRules AppModeRulesDialog::Edited() const {
    AppModeRules rules;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const auto* mode = static_cast<const QComboBox*>(m_table->cellWidget(row, 1));
        rules.Set(m_table->item(row, 0)->text().trimmed().toStdString(), mode->currentData().toInt());
    }
    const int fallback = m_fallback->currentData().toInt();
    if (fallback > 0) rules.fallback = fallback;
    return rules;
}

AppModeRulesDialog::Presence AppModeRulesDialog::EditedPresence() const {
    return {m_trayAvailable, m_trayAvailable && m_inTray->isChecked(), m_trayAvailable && m_atLogin->isChecked()};
}

void AppModeRulesDialog::Save() {
    std::string error;
    if (!m_save(Edited(), error)) {
        m_error->setText(Q(m_strings.Get("APP_MODES_SAVE_FAILED")).arg(Q(error)));
        m_error->show();
        return;
    }
    accept();
}

}  // namespace kelvadeck
