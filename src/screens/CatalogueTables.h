#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;

namespace kelvadeck {

class StringTable;

// The three cascading tables of the function setting screens, from which a
// function is picked: category, application, function. Each table carries
// its tag (the category table firstTag, the others the next two); a click on
// a row is reported with the table's tag. Each table has its title above it;
// an empty application table says why it is empty; a row's whole name is its
// tooltip, for names the column cuts short.
class CatalogueTables : public QWidget {
    Q_OBJECT
public:
    // suffix follows the tables' names ("" or "_R", "_L").
    CatalogueTables(int firstTag, const QString& suffix, const QSize& tableSize, QWidget* parent);

    // The titles and the empty application table's note.
    void InitControl(const StringTable& s);

    // Fills each table with the rows of its tag and selects a row in each
    // (a row beyond a table's end selects nothing).
    void Show(const std::function<std::vector<std::string>(int tag)>& rows, const std::array<int, 3>& selected);

signals:
    void rowClicked(int tag, int row);

private:
    std::array<QListWidget*, 3> m_tables{};
    std::array<QLabel*, 3> m_titles{};
    QLabel* m_lblNoApplication = nullptr;
    bool m_bFilling = false;
};

}  // namespace kelvadeck
