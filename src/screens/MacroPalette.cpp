#include "screens/MacroPalette.h"

#include <algorithm>

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

#include "model/Constants.h"
#include "model/StringTable.h"
#include "screens/MacroStepTable.h"

namespace kelvadeck {

namespace {

// A chip of the palette: as wide as its longest name needs between the least
// and the most width, at least the least height, its name this far from its
// sides and from its top and bottom.
constexpr int kChipMinWidth = 130;
constexpr int kChipMaxWidth = 170;
constexpr int kChipMinHeight = 30;
constexpr int kChipSideMargin = 6;
constexpr int kChipEndMargin = 2;
constexpr int kChipBorder = 1;  // the frame's border in ApplyPaletteColours

}  // namespace

MacroPalette::MacroPalette(QWidget* stepList, QWidget* slotList, QWidget* parent)
    : QFrame(parent), m_stepList(stepList), m_slotList(slotList) {
    setObjectName(QStringLiteral("m_cvControlItem"));
    auto* grid = new QGridLayout(this);
    grid->setSpacing(4);
    const auto& palette = MacroStepKinds::Palette();
    for (size_t k = 0; k < palette.size(); ++k) {
        auto* item = new QFrame(this);
        item->setObjectName(QStringLiteral("m_cvControlElem%1").arg(k + 1));
        item->setProperty("identifier", QString::fromLatin1(palette[k].identifier.data(), static_cast<int>(palette[k].identifier.size())));
        item->setCursor(Qt::OpenHandCursor);
        item->setMinimumSize(kChipMinWidth, kChipMinHeight);
        item->installEventFilter(this);
        auto* itemLayout = new QHBoxLayout(item);
        itemLayout->setContentsMargins(kChipSideMargin, kChipEndMargin, kChipSideMargin, kChipEndMargin);
        auto* label = new QLabel(item);
        label->setObjectName(QStringLiteral("m_lblControlTitle%1").arg(k + 1));
        label->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        // Longer names (Japanese ones) take a second line rather than being cut.
        label->setWordWrap(true);
        itemLayout->addWidget(label);
        m_cvControlElem[k] = item;
        m_lblControlTitle[k] = label;
        grid->addWidget(item, static_cast<int>(k) / 2, static_cast<int>(k) % 2);
    }
}

MacroPalette::~MacroPalette() {
    if (m_bPaletteDragging) QApplication::restoreOverrideCursor();
}

void MacroPalette::InitControl(const StringTable& s) {
    const auto& palette = MacroStepKinds::Palette();
    int widest = 0;
    for (size_t k = 0; k < palette.size(); ++k) {
        const QString title = QString::fromStdString(s.Get(palette[k].labelKey));
        m_lblControlTitle[k]->setText(title);
        m_cvControlElem[k]->setToolTip(title);
        m_lblControlTitle[k]->ensurePolished();  // measured in the font it is drawn in
        widest = std::max(widest, m_lblControlTitle[k]->fontMetrics().horizontalAdvance(title));
    }
    // The chips are as wide as the longest name needs, within bounds; a name
    // that still wraps keeps every line (the layout would otherwise squeeze
    // the chip to one line's height and cut the text top and bottom).
    const int sides = 2 * (kChipSideMargin + kChipBorder);
    const int chipWidth = std::clamp(widest + sides, kChipMinWidth, kChipMaxWidth);
    const QRect room(0, 0, chipWidth - sides, QWIDGETSIZE_MAX);
    for (size_t k = 0; k < palette.size(); ++k) {
        const QRect text = m_lblControlTitle[k]->fontMetrics().boundingRect(room, Qt::TextWordWrap, m_lblControlTitle[k]->text());
        m_cvControlElem[k]->setMinimumSize(chipWidth, std::max(kChipMinHeight, text.height() + 2 * (kChipEndMargin + kChipBorder)));
    }
    ApplyPaletteColours();
}

void MacroPalette::ApplyPaletteColours() {
    const auto& palette = MacroStepKinds::Palette();
    for (size_t k = 0; k < palette.size(); ++k) {
        const QColor c = MacroStepTable::TintColour(palette[k].colour);
        m_cvControlElem[k]->setStyleSheet(QStringLiteral("#%1 { background: rgba(%2,%3,%4,%5); border: %6px solid #c4c9d0; border-radius: 5px; }")
                                              .arg(m_cvControlElem[k]->objectName())
                                              .arg(c.red())
                                              .arg(c.green())
                                              .arg(c.blue())
                                              .arg(c.alphaF())
                                              .arg(kChipBorder));
    }
}

void MacroPalette::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    ApplyPaletteColours();
}

bool MacroPalette::IsOver(const QWidget* widget, const QPoint& pos) const {
    return QRect(widget->mapTo(window(), QPoint(0, 0)), widget->size()).contains(pos);
}

void MacroPalette::GetPanAction(PanState state, const std::string& identifier, const QPoint& pos) {
    switch (state) {
        case PanState::Began:
            if (!m_bPaletteDragging) QApplication::setOverrideCursor(Qt::DragCopyCursor);
            m_bPaletteDragging = true;
            m_pstrDragItem = identifier;
            return;
        case PanState::Changed:
            if (m_bPaletteDragging) QApplication::changeOverrideCursor(IsOver(m_slotList, pos) ? Qt::ForbiddenCursor : Qt::DragCopyCursor);
            return;
        case PanState::Ended: break;
    }
    if (m_bPaletteDragging) QApplication::restoreOverrideCursor();
    m_bPaletteDragging = false;
    m_pstrDragItem.clear();
    if (!IsOver(m_stepList, pos)) return;
    const int32_t kind = MacroStepKinds::KindForIdentifier(identifier);
    if (kind != Constants::SCRIPT_ICON_IDX_BLANK) emit dropped(kind);
}

bool MacroPalette::eventFilter(QObject* watched, QEvent* event) {
    auto* frame = qobject_cast<QFrame*>(watched);
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool move = event->type() == QEvent::MouseMove;
    if (frame == nullptr || !(press || move || event->type() == QEvent::MouseButtonRelease)) {
        return QFrame::eventFilter(watched, event);
    }
    const std::string id = frame->property("identifier").toString().toStdString();
    const auto* m = static_cast<QMouseEvent*>(event);
    const QPoint pos = frame->mapTo(window(), m->position().toPoint());
    if (press) {
        if (m->button() == Qt::LeftButton) GetPanAction(PanState::Began, id, pos);
    } else if (move) {
        GetPanAction(PanState::Changed, id, pos);
    } else if (m->button() == Qt::LeftButton && m_bPaletteDragging) {
        GetPanAction(PanState::Ended, id, pos);
    }
    return true;
}

}  // namespace kelvadeck
