#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QListWidget;

namespace kelvadeck {

// The three cascading tables of the function setting screens, from which a
// function is picked: category, application, function. Each table carries
// its tag (the category table firstTag, the others the next two); a click on
// a row is reported with the table's tag.
class CatalogueTables : public QWidget {
    Q_OBJECT
public:
    // suffix follows the tables' names ("" or "_R", "_L").
    CatalogueTables(int firstTag, const QString& suffix, const QSize& tableSize, QWidget* parent);

    // Fills each table with the rows of its tag and selects a row in each
    // (a row beyond a table's end selects nothing).
    void Show(const std::function<std::vector<std::string>(int tag)>& rows, const std::array<int, 3>& selected);

signals:
    void rowClicked(int tag, int row);

private:
    std::array<QListWidget*, 3> m_tables{};
    bool m_bFilling = false;
};

}  // namespace kelvadeck
