// Every editing screen and step dialog fits a 1024x700 screen: its smallest
// size stays under 1000x650.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <cstdio>
#include <functional>

#include "GuiRig.h"
#include "KnownImage.h"
#include "screens/InputSupportDialog.h"
#include "screens/TopVC.h"

namespace kelvadeck::guitest {
namespace {

constexpr QSize kLargest(1000, 650);

// The smallest size a dialog can be given.
QSize Smallest(QDialog* dialog) {
    dialog->adjustSize();
    return dialog->minimumSizeHint().expandedTo(dialog->minimumSize());
}

void ExpectFits(const char* name, QDialog* dialog) {
    ASSERT_NE(dialog, nullptr) << name;
    const QSize smallest = Smallest(dialog);
    std::printf("smallest %-18s %4d x %4d\n", name, smallest.width(), smallest.height());
    EXPECT_LE(smallest.width(), kLargest.width()) << name;
    EXPECT_LE(smallest.height(), kLargest.height()) << name;
}

class EditorSizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiRig::Setup setup;
        setup.image = BuildKnownImage();
        rig = std::make_unique<GuiRig>(std::move(setup));
        rig->Launch();
    }
    std::unique_ptr<GuiRig> rig;
};

TEST_F(EditorSizeTest, EveryEditingScreenFitsASmallScreen) {
    struct Screen {
        const char* name;
        std::function<void(TopVC&)> open;
    };
    const Screen screens[] = {
        {"switch", [](TopVC& top) { top.OpenSwitchFuncScreen(0); }},
        {"push switch", [](TopVC& top) { top.OpenSwitchFuncScreen(10); }},
        {"dial function", [](TopVC& top) { top.OpenDialFuncScreen(0); }},
        {"led colour", [](TopVC& top) { top.OpenLedColorScreen(1); }},
        {"dial macro", [](TopVC& top) { top.OpenDialMacroEditor(); }},
        {"macro editor", [](TopVC& top) { top.OpenMacroEditor(); }},
    };
    for (const Screen& s : screens) {
        s.open(rig->Top());
        QDialog* screen = rig->Top().CurrentScreen();
        ExpectFits(s.name, screen);
        if (screen == nullptr) continue;
        screen->done(QDialog::Rejected);
        GuiRig::Settle(50);
        ASSERT_TRUE(GuiRig::PumpUntil([this] { return rig->Top().CurrentScreen() == nullptr; }));
    }
}

TEST_F(EditorSizeTest, EveryStepDialogFitsASmallScreen) {
    using D = MacroStepKinds::Dialog;
    QDialog parent;
    for (D kind : {D::Number, D::Joypad, D::MouseButton, D::Multimedia, D::Distance, D::KeyInput, D::Wheel}) {
        std::unique_ptr<InputSupportDialog> dialog(InputSupportDialog::Create(kind, rig->Dm(), &parent));
        ASSERT_NE(dialog, nullptr);
        dialog->SetCurrentMDS(MacroDataScript{}, true);
        ExpectFits(qPrintable(dialog->objectName()), dialog.get());
    }
}

// At the smallest sizes, in each language, no text of the main screen's
// commands or of the macro palette is cut: a button is as wide as its text,
// and a palette name that wraps has the height of all its lines.
TEST(EditorText, NothingIsCutAtTheSmallestSizeInAnyLanguage) {
    for (const char* language : {"en", "ja"}) {
        SCOPED_TRACE(language);
        GuiRig::Setup setup;
        setup.image = BuildKnownImage();
        setup.language = language;
        GuiRig rig(std::move(setup));
        rig.Launch();
        MainWindow& window = rig.Window();
        window.resize(window.minimumSizeHint());
        GuiRig::Settle(100);
        int right = -1;
        for (const char* name : {"m_btnSetting", "m_btnEditMacro", "m_btnEditDialMacro"}) {
            auto* b = rig.Find<QPushButton>(QString::fromLatin1(name));
            ASSERT_NE(b, nullptr) << name;
            EXPECT_GE(b->width(), b->sizeHint().width()) << name << " " << b->text().toStdString();
            EXPECT_GT(b->x(), right) << name << " overlaps the command before it";
            right = b->geometry().right();
        }

        rig.Top().OpenMacroEditor();
        QDialog* editor = rig.Top().CurrentScreen();
        ASSERT_NE(editor, nullptr);
        editor->resize(Smallest(editor));
        GuiRig::Settle(100);
        const QList<QLabel*> names = editor->findChildren<QLabel*>(QRegularExpression(QStringLiteral("^m_lblControlTitle")));
        ASSERT_FALSE(names.isEmpty());
        for (const QLabel* name : names) {
            EXPECT_LE(name->heightForWidth(name->width()), name->height()) << name->text().toStdString();
        }
        editor->done(QDialog::Rejected);
        GuiRig::Settle(50);
    }
}

}  // namespace
}  // namespace kelvadeck::guitest
