#include "screens/MacroStepTable.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>
#include <set>

#include "macro/MacroCreator.h"
#include "model/StringTable.h"
#include "screenlogic/MacroStepList.h"

namespace kelvadeck {

namespace {

enum StepColumn { COL_NO, COL_SIZE, COL_CONTENT, COL_VALUE, COL_COUNT };

}  // namespace

MacroStepTable::MacroStepTable(QWidget* parent) : QTableWidget(parent) {
    setColumnCount(COL_COUNT);
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(COL_NO, 44);
    setColumnWidth(COL_SIZE, 44);
    setColumnWidth(COL_CONTENT, 190);
    setMinimumWidth(360);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
    verticalHeader()->setVisible(false);
}

QColor MacroStepTable::TintColour(MacroStepKinds::ColourGroup group) {
    const auto tint = MacroStepKinds::TintOf(group);
    if (!tint) return QColor(Qt::transparent);
    return QColor::fromRgbF(static_cast<float>(tint->red), static_cast<float>(tint->green), static_cast<float>(tint->blue),
                            static_cast<float>(tint->alpha));
}

void MacroStepTable::InitControl(const StringTable& s) {
    auto t = [&s](const char* key) { return QString::fromStdString(s.Get(key)); };
    setHorizontalHeaderLabels({t("MACRO_EDITOR_LIST_NO"), t("MACRO_EDITOR_EDITOR_LIST_SIZE"), t("MACRO_EDITOR_EDITOR_LIST_ITEM"),
                               t("MACRO_EDITOR_EDITOR_LIST_VALUE")});
}

void MacroStepTable::Show(const MacroCreator& script, const StringTable& s) {
    const int rows = MacroStepList::RowCount(script);
    setRowCount(rows);
    auto cell = [this](int row, int col, const std::string& text, const QColor& tint) {
        auto* item = new QTableWidgetItem(QString::fromStdString(text));
        if (tint.alpha() != 0) item->setBackground(tint);
        setItem(row, col, item);
    };
    const QColor none(Qt::transparent);
    cell(0, COL_NO, "0", none);
    cell(0, COL_SIZE, "0", none);
    cell(0, COL_CONTENT, MacroStepList::ModeText(script.bScriptMode, s), none);
    cell(0, COL_VALUE, "", none);
    for (int r = 1; r < rows; ++r) {
        const MacroDataScript& step = *MacroStepList::StepAtRow(script, r);
        const QColor tint = TintColour(MacroStepKinds::ColourOf(step.bControlItemNo));
        cell(r, COL_NO, std::to_string(r), tint);
        cell(r, COL_SIZE, std::to_string(step.nScriptSize), tint);
        cell(r, COL_CONTENT, MacroCreator::GetContentName(step, s).value_or(""), tint);
        cell(r, COL_VALUE, MacroCreator::GetSetValueString(step, s), tint);
    }
}

QStringList MacroStepTable::mimeTypes() const { return {QString::fromLatin1(DRAG_DATA_TYPE)}; }

QMimeData* MacroStepTable::mimeData(const QList<QTableWidgetItem*>& items) const {
    std::set<int> rows;
    for (const QTableWidgetItem* item : items) {
        if (item != nullptr) rows.insert(item->row());
    }
    const std::vector<int> dragged(rows.begin(), rows.end());
    if (dragged.empty() || !onDragRows || !onDragRows(dragged)) return nullptr;
    auto* data = new QMimeData;
    QByteArray bytes;
    for (int r : dragged) bytes += QByteArray::number(r) + ' ';
    data->setData(QString::fromLatin1(DRAG_DATA_TYPE), bytes);
    return data;
}

void MacroStepTable::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(DRAG_DATA_TYPE))) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void MacroStepTable::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(DRAG_DATA_TYPE))) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void MacroStepTable::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        emit deletePressed();
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void MacroStepTable::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasFormat(QString::fromLatin1(DRAG_DATA_TYPE))) {
        event->ignore();
        return;
    }
    // Always above the row under the pointer; below the last row: at the end.
    int row = rowAt(event->position().toPoint().y());
    if (row < 0) row = rowCount();
    const bool moved = onDropAbove && onDropAbove(row);
    // The editor has rebuilt the rows itself; the table must not move items too.
    event->setDropAction(moved ? Qt::CopyAction : Qt::IgnoreAction);
    event->accept();
}

}  // namespace kelvadeck
