#include "screens/CatalogueTables.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

#include "model/StringTable.h"
#include "screens/QtText.h"

namespace kelvadeck {

CatalogueTables::CatalogueTables(int firstTag, const QString& suffix, const QSize& tableSize, QWidget* parent)
    : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    const std::array<const char*, 3> names = {"m_tblCategory", "m_tblApplication", "m_tblDetail"};
    const std::array<const char*, 3> titles = {"m_lblCategoryTitle", "m_lblApplicationTitle", "m_lblDetailTitle"};
    for (size_t i = 0; i < m_tables.size(); ++i) {
        const int column = static_cast<int>(i);
        m_titles[i] = new QLabel(this);
        m_titles[i]->setObjectName(QString::fromLatin1(titles[i]) + suffix);
        grid->addWidget(m_titles[i], 0, column);
        const int tag = firstTag + static_cast<int>(i);
        auto* t = new QListWidget(this);
        t->setObjectName(QString::fromLatin1(names[i]) + suffix);
        t->setProperty("tag", tag);
        t->setMinimumSize(tableSize);
        connect(t, &QListWidget::itemClicked, this, [this, t, tag](QListWidgetItem* item) {
            if (!m_bFilling) emit rowClicked(tag, t->row(item));
        });
        m_titles[i]->setBuddy(t);
        grid->addWidget(t, 1, column);
        grid->setColumnStretch(column, 1);
        m_tables[i] = t;
    }
    // Over the application table while it has no rows.
    m_lblNoApplication = new QLabel(this);
    m_lblNoApplication->setObjectName(QStringLiteral("m_lblNoApplication") + suffix);
    m_lblNoApplication->setWordWrap(true);
    m_lblNoApplication->setAlignment(Qt::AlignCenter);
    m_lblNoApplication->setMargin(8);
    m_lblNoApplication->setEnabled(false);
    m_lblNoApplication->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    grid->addWidget(m_lblNoApplication, 1, 1);
    // Focus given to the tables goes to the first.
    setFocusProxy(m_tables[0]);
}

void CatalogueTables::InitControl(const StringTable& s) {
    const std::array<const char*, 3> keys = {"FUNC_SETTING_CATEGORY1_LIST", "FUNC_SETTING_CATEGORY2_LIST", "FUNC_SETTING_FUNC_LIST"};
    for (size_t i = 0; i < m_titles.size(); ++i) m_titles[i]->setText(Q(s.Get(keys[i])));
    m_lblNoApplication->setText(Q(s.Get("FUNC_SETTING_NO_APPLICATION")));
}

void CatalogueTables::Show(const std::function<std::vector<std::string>(int tag)>& rows, const std::array<int, 3>& selected) {
    m_bFilling = true;
    for (size_t i = 0; i < m_tables.size(); ++i) {
        QListWidget* t = m_tables[i];
        t->clear();
        for (const std::string& text : rows(t->property("tag").toInt())) {
            auto* item = new QListWidgetItem(QString::fromStdString(text), t);
            item->setToolTip(item->text());
        }
        t->clearSelection();
        if (selected[i] < t->count()) t->setCurrentRow(selected[i]);
    }
    m_lblNoApplication->setVisible(m_tables[1]->count() == 0 && m_tables[2]->count() > 0);
    m_bFilling = false;
}

}  // namespace kelvadeck
