#pragma once

#include <QLabel>
#include <QStringList>

namespace kelvadeck {

// A label for names that may be longer than its room: the text wraps at
// words over as many lines as the label's height holds, and the last line
// ends in an ellipsis when the rest does not fit. text() stays the whole
// name.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The lines as they are painted.
    QStringList ShownLines() const;
    bool IsElided() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kelvadeck
