#include "screens/ElidedLabel.h"

#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>

namespace kelvadeck {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) { setWordWrap(true); }

QStringList ElidedLabel::ShownLines() const {
    const QString text = this->text();
    const QRect room = contentsRect();
    const QFontMetrics metrics = fontMetrics();
    const int maxLines = std::max(1, room.height() / std::max(1, metrics.lineSpacing()));
    QStringList lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextLayout layout(text, font());
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(room.width());
        if (lines.size() == maxLines - 1) {
            // The last line there is room for takes the rest of the name.
            lines << metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, room.width());
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

bool ElidedLabel::IsElided() const {
    const QChar ellipsis(0x2026);
    const QStringList lines = ShownLines();
    return !lines.isEmpty() && lines.last().endsWith(ellipsis) && !text().trimmed().endsWith(ellipsis);
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    p.setPen(palette().color(foregroundRole()));
    const QRect room = contentsRect();
    const QStringList lines = ShownLines();
    const int lineHeight = fontMetrics().lineSpacing();
    const int height = static_cast<int>(lines.size()) * lineHeight;
    int top = room.top();
    if (alignment() & Qt::AlignVCenter) top += (room.height() - height) / 2;
    if (alignment() & Qt::AlignBottom) top += room.height() - height;
    const Qt::Alignment across = alignment() & Qt::AlignHorizontal_Mask;
    for (const QString& line : lines) {
        p.drawText(QRect(room.left(), top, room.width(), lineHeight), static_cast<int>(across | Qt::AlignVCenter), line);
        top += lineHeight;
    }
}

}  // namespace kelvadeck
