// File > Apply Layout…: a ready layout into a chosen mode, as one settings
// write that Edit > Undo takes back; the other modes stay as they were.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <utility>

#include "GuiRig.h"
#include "KnownImage.h"
#include "app/MainMenu.h"
#include "screens/ApplyLayoutDialog.h"

namespace kelvadeck::guitest {
namespace {

TEST(ApplyLayout, TheChosenLayoutReplacesOneModeAndUndoBringsItBack) {
    GuiRig::Setup setup;
    setup.image = BuildKnownImage();
    GuiRig rig(setup);
    rig.Launch();
    const std::vector<ProfileSettingInfo> before = rig.Dm().g_arPSI;

    QString preview;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<ApplyLayoutDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        seen = true;
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("m_lstLayouts"));
        const QList<QListWidgetItem*> krita = list->findItems(QStringLiteral("Krita"), Qt::MatchStartsWith);
        if (krita.isEmpty()) return dialog->reject();
        list->setCurrentItem(krita.front());
        preview = dialog->findChild<QPlainTextEdit*>(QStringLiteral("m_txtLayoutPreview"))->toPlainText();
        dialog->findChild<QComboBox*>(QStringLiteral("m_cmbLayoutMode"))->setCurrentIndex(1);
        dialog->findChild<QPushButton*>(QStringLiteral("m_btnApplyLayout"))->click();
    });
    rig.App().Menu().ApplyLayout();
    ASSERT_TRUE(seen);
    ASSERT_TRUE(rig.WaitIdle());
    EXPECT_TRUE(preview.contains(QStringLiteral("Ctrl+Z"))) << preview.toStdString();
    EXPECT_TRUE(rig.prompts.errors.empty()) << (rig.prompts.errors.empty() ? "" : rig.prompts.errors.front());
    ASSERT_EQ(rig.prompts.notices.size(), 1u);
    const std::vector<ProfileSettingInfo> after = rig.Dm().g_arPSI;
    EXPECT_EQ(after[0], before[0]);
    EXPECT_NE(after[1], before[1]);
    EXPECT_EQ(after[2], before[2]);
    // What the device holds, read afresh, is what the screens show.
    GuiRig::Setup fromFlash;
    fromFlash.image = rig.Flash();
    GuiRig check(std::move(fromFlash));
    check.Launch();
    EXPECT_EQ(check.Dm().g_arPSI, after);

    rig.prompts.confirmAnswers = {true};
    rig.App().Menu().UndoLastChange();
    ASSERT_TRUE(rig.WaitIdle());
    EXPECT_EQ(rig.Dm().g_arPSI, before);
    EXPECT_TRUE(rig.prompts.unexpected.empty());
}

}  // namespace
}  // namespace kelvadeck::guitest
