#include "screens/CatalogueTables.h"

#include <QHBoxLayout>
#include <QListWidget>

namespace kelvadeck {

CatalogueTables::CatalogueTables(int firstTag, const QString& suffix, const QSize& tableSize, QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    const std::array<const char*, 3> names = {"m_tblCategory", "m_tblApplication", "m_tblDetail"};
    for (size_t i = 0; i < m_tables.size(); ++i) {
        const int tag = firstTag + static_cast<int>(i);
        auto* t = new QListWidget(this);
        t->setObjectName(QString::fromLatin1(names[i]) + suffix);
        t->setProperty("tag", tag);
        t->setMinimumSize(tableSize);
        connect(t, &QListWidget::itemClicked, this, [this, t, tag](QListWidgetItem* item) {
            if (!m_bFilling) emit rowClicked(tag, t->row(item));
        });
        row->addWidget(t);
        m_tables[i] = t;
    }
    // Focus given to the tables goes to the first.
    setFocusProxy(m_tables[0]);
}

void CatalogueTables::Show(const std::function<std::vector<std::string>(int tag)>& rows, const std::array<int, 3>& selected) {
    m_bFilling = true;
    for (size_t i = 0; i < m_tables.size(); ++i) {
        QListWidget* t = m_tables[i];
        t->clear();
        for (const std::string& text : rows(t->property("tag").toInt())) t->addItem(QString::fromStdString(text));
        t->clearSelection();
        if (selected[i] < t->count()) t->setCurrentRow(selected[i]);
    }
    m_bFilling = false;
}

}  // namespace kelvadeck
