#include "screens/MacroStepTable.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <algorithm>
#include <set>

namespace kelvadeck {

MacroStepTable::MacroStepTable(QWidget* parent) : QTableWidget(parent) {
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
