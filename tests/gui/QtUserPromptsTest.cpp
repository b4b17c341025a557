// The message boxes as the user sees them: a headline of their own, the
// explanation, verb buttons, and Cancel as the default of a destructive one.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "model/StringTable.h"
#include "screens/QtUserPrompts.h"

namespace kelvadeck::guitest {
namespace {

// Looks at the message box once it is shown, then answers it with the button
// whose text is answer (or Escape when empty).
class BoxWatcher {
public:
    BoxWatcher(std::function<void(QMessageBox&)> look, QString answer) : m_look(std::move(look)), m_answer(std::move(answer)) {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { Poll(); });
        m_poll.start();
    }
    bool Seen() const { return m_seen; }

private:
    void Poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        m_poll.stop();
        m_seen = true;
        m_look(*box);
        for (QAbstractButton* b : box->buttons()) {
            if (!m_answer.isEmpty() && b->text() == m_answer) {
                b->click();
                return;
            }
        }
        box->reject();
    }

    QTimer m_poll;
    std::function<void(QMessageBox&)> m_look;
    QString m_answer;
    bool m_seen = false;
};

TEST(QtUserPrompts, ADestructiveQuestionHasItsVerbAndDefaultsToCancel) {
    QtUserPrompts prompts{StringTable("en")};
    BoxWatcher watcher(
        [](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), QStringLiteral("Kelvadeck Configurator"));
            EXPECT_TRUE(box.text().contains(QStringLiteral("Erase the device?"))) << box.text().toStdString();
            EXPECT_EQ(box.informativeText(), QStringLiteral("Everything on it is lost."));
            ASSERT_NE(box.defaultButton(), nullptr);
            EXPECT_EQ(box.defaultButton()->text(), QStringLiteral("Cancel"));
            EXPECT_GE(box.width(), QtUserPrompts::MIN_WIDTH);
        },
        QStringLiteral("Erase Device"));
    EXPECT_TRUE(prompts.Ask({"Erase the device?", "Everything on it is lost.", "Erase Device", true}));
    EXPECT_TRUE(watcher.Seen());
}

TEST(QtUserPrompts, AWriteQuestionDefaultsToItsVerb) {
    QtUserPrompts prompts{StringTable("en")};
    BoxWatcher watcher([](QMessageBox& box) { EXPECT_EQ(box.defaultButton()->text(), QStringLiteral("Write")); }, QString());
    EXPECT_FALSE(prompts.Ask({"", "Write the settings to the device?", "Write", false}));  // Escape: Cancel
    EXPECT_TRUE(watcher.Seen());
}

// An error without a headline of its own takes its first sentence as one;
// the application's name is only the window's title.
TEST(QtUserPrompts, AnErrorIsHeadedByItsFirstSentence) {
    QtUserPrompts prompts{StringTable("en")};
    BoxWatcher watcher(
        [](QMessageBox& box) {
            EXPECT_TRUE(box.text().contains(QStringLiteral("The restore did not complete."))) << box.text().toStdString();
            EXPECT_FALSE(box.text().contains(QStringLiteral("Kelvadeck Configurator")));
            EXPECT_EQ(box.informativeText(), QStringLiteral("The device was unplugged. Plug it in and restore again."));
        },
        QStringLiteral("OK"));
    prompts.ShowError("", "The restore did not complete. The device was unplugged. Plug it in and restore again.");
    EXPECT_TRUE(watcher.Seen());
}

}  // namespace
}  // namespace kelvadeck::guitest
