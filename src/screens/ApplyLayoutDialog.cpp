#include "screens/ApplyLayoutDialog.h"

#include <QCheckBox>
#include <algorithm>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/StringTable.h"
#include "screens/ModeChoices.h"
#include "screens/QtText.h"

namespace kelvadeck {

ApplyLayoutDialog::ApplyLayoutDialog(const StringTable& strings, const KeyCode& keys, std::vector<LayoutLibrary::Entry> layouts,
                                     int mode, bool canFollow, QWidget* parent)
    : QDialog(parent), m_strings(strings), m_keys(keys), m_layouts(std::move(layouts)), m_canFollow(canFollow) {
    const StringTable& s = m_strings;
    setObjectName(QStringLiteral("ApplyLayoutDialog"));
    setWindowTitle(Q(s.Get("LAYOUT_TITLE")));
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("m_lstLayouts"));
    for (const LayoutLibrary::Entry& e : m_layouts) {
        const std::string shown = e.about.name.empty() ? e.name : e.about.name;
        auto* item = new QListWidgetItem(Q(e.user ? shown + " (" + s.Get("LAYOUT_YOURS") + ")" : shown), m_list);
        item->setToolTip(Q(e.problem.empty() ? e.about.description : e.problem));
        // A file that cannot be used is listed, so that its owner sees why.
        if (!e.problem.empty()) item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
    }
    m_list->setMinimumWidth(180);
    columns->addWidget(m_list);

    m_preview = new QPlainTextEdit(this);
    m_preview->setObjectName(QStringLiteral("m_txtLayoutPreview"));
    m_preview->setReadOnly(true);
    m_preview->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    columns->addWidget(m_preview, 1);
    layout->addLayout(columns, 1);

    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(new QLabel(Q(s.Get("LAYOUT_MODE")), this));
    m_mode = new QComboBox(this);
    m_mode->setObjectName(QStringLiteral("m_cmbLayoutMode"));
    AddModeChoices(*m_mode, s);
    m_mode->setCurrentIndex(std::clamp(mode, 1, AppModeRules::MODE_COUNT) - 1);
    modeRow->addWidget(m_mode);
    modeRow->addStretch(1);
    layout->addLayout(modeRow);

    m_follow = new QCheckBox(this);
    m_follow->setObjectName(QStringLiteral("m_chkLayoutFollow"));
    layout->addWidget(m_follow);
    auto* note = new QLabel(Q(s.Get("LAYOUT_REPLACES")), this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_apply = buttons->addButton(Q(s.Get("LAYOUT_APPLY")), QDialogButtonBox::AcceptRole);
    m_apply->setObjectName(QStringLiteral("m_btnApplyLayout"));
    m_apply->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_list, &QListWidget::currentRowChanged, this, [this] { ShowPreview(); });
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->flags() & Qt::ItemIsEnabled) {
            m_list->setCurrentRow(row);
            break;
        }
    }
    ShowPreview();
    resize(720, 520);
}

const LayoutLibrary::Entry* ApplyLayoutDialog::Chosen() const {
    const int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_layouts.size()) || !m_layouts[row].problem.empty()) return nullptr;
    return &m_layouts[row];
}

int ApplyLayoutDialog::Mode() const { return m_mode->currentData().toInt(); }

bool ApplyLayoutDialog::Follow() const { return m_follow->isVisible() && m_follow->isChecked(); }

void ApplyLayoutDialog::ShowPreview() {
    const LayoutLibrary::Entry* entry = Chosen();
    m_apply->setEnabled(entry != nullptr);
    m_follow->setVisible(entry != nullptr && m_canFollow && !entry->about.applications.empty());
    if (entry == nullptr) {
        m_preview->setPlainText(m_layouts.empty() ? Q(m_strings.Get("LAYOUT_NONE")) : QString());
        return;
    }
    m_follow->setText(Q(m_strings.Get("LAYOUT_FOLLOW")).arg(Q(entry->about.application.empty() ? entry->name : entry->about.application)));
    const ModeLayout layout = LayoutLibrary::Load(entry->path, m_keys);
    QString text = Q(entry->about.description);
    if (!text.isEmpty()) text += QStringLiteral("\n\n");
    for (const std::string& line : layout.Preview()) text += Q(line) + QLatin1Char('\n');
    if (!layout.about.unconfirmed.empty()) {
        text += QLatin1Char('\n') + Q(m_strings.Get("LAYOUT_UNCONFIRMED")) + QLatin1Char('\n');
        for (const std::string& line : layout.about.unconfirmed) text += QStringLiteral("• ") + Q(line) + QLatin1Char('\n');
    }
    m_preview->setPlainText(text);
}

}  // namespace kelvadeck
