// While the desktop application runs it has the device, so it follows the
// focused application itself: on a private X server, windows made active as
// a window manager does; the rules file edited from outside, as
// `kelvadeck-cli app-mode` or a text editor does.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>

#include "GuiRig.h"
#include "KnownImage.h"
#include "app/FocusFollower.h"
#include "core/AppModeRules.h"
#include "device/ComElem.h"
#include "focus/X11FocusWatcher.h"
#include "model/StringTable.h"
#include "screens/AppModeRulesDialog.h"
#include "support/FakeWindowManager.h"
#include "support/XvfbServer.h"

namespace kelvadeck::guitest {
namespace {

// The modes (0-based) the device was sent by settings reports so far.
std::vector<uint8_t> ModesSent(GuiRig& rig) {
    std::vector<uint8_t> modes;
    for (const auto& r : rig.device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_STANDARD_INFO)) modes.push_back(r.payload.at(0));
    return modes;
}

TEST(FocusFollower, TheRunningApplicationFollowsTheFocusAndEditedRulesAtOnce) {
    const testsupport::XvfbServer x;
    if (!x.Running()) GTEST_SKIP() << "no Xvfb";
    const QTemporaryDir dir;
    const std::string rulesPath = dir.filePath(QStringLiteral("kelvadeck/app-modes.conf")).toStdString();
    AppModeRules rules;
    ASSERT_TRUE(rules.Set("krita", 2));
    std::string error;
    ASSERT_TRUE(rules.Save(rulesPath, error)) << error;

    GuiRig::Setup setup;
    setup.image = BuildKnownImage();
    setup.followFocusRules = rulesPath;
    const std::string display = x.Display();
    setup.focusWatchers = [display](std::string& why) -> std::unique_ptr<FocusWatcher> {
        auto watcher = std::make_unique<X11FocusWatcher>(display);
        if (!watcher->Start(why)) return nullptr;
        return watcher;
    };
    GuiRig rig(setup);
    rig.Launch();
    FocusFollower* follower = rig.App().Focus();
    ASSERT_NE(follower, nullptr);
    EXPECT_EQ(follower->Desktop(), "X11") << follower->WhyNot();
    rig.device.LiveState().Clear();
    const uint64_t programmed = rig.device.Counters().flashBytesProgrammed;

    testsupport::FakeWindowManager wm(display);
    const uint32_t krita = wm.Window("krita", "krita");
    wm.Activate(krita);
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return ModesSent(rig) == std::vector<uint8_t>{1}; }, 10000)) << ModesSent(rig).size();
    EXPECT_EQ(follower->RecentApplications(), std::vector<std::string>{"krita"});

    // Edited elsewhere: the new mode for the focused application applies at once.
    ASSERT_TRUE(rules.Set("krita", 3));
    ASSERT_TRUE(rules.Save(rulesPath, error)) << error;
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return ModesSent(rig) == std::vector<uint8_t>{1, 2}; }, 10000)) << ModesSent(rig).size();
    EXPECT_EQ(rig.device.Counters().flashBytesProgrammed, programmed);

    // No rules left: the watcher goes, and the editor can say why nothing follows.
    ASSERT_TRUE(follower->SaveRules(AppModeRules{}, error)) << error;
    EXPECT_EQ(follower->Desktop(), "");
    EXPECT_EQ(follower->WhyNot(), "no rules");
}

// The rules editor: typed or picked applications, order, the fallback; a
// failed save keeps the dialog and its edits, with the reason.
TEST(FocusFollower, TheRulesEditorSavesWhatTheUserArrangedOrSaysWhyNot) {
    AppModeRules rules;
    ASSERT_TRUE(rules.Set("krita", 2));
    const StringTable strings("en");
    std::vector<AppModeRules> saved;
    bool diskFull = true;
    AppModeRulesDialog dialog(strings, rules, QStringLiteral("Following the focus on X11."), {"org.gimp.GIMP", "krita"},
                              [&](const AppModeRules& r, std::string& error) {
                                  if (diskFull) {
                                      error = "No space left on device";
                                      return false;
                                  }
                                  saved.push_back(r);
                                  return true;
                              },
                              AppModeRulesDialog::Presence{true, false, false});
    auto* app = dialog.findChild<QComboBox*>(QStringLiteral("m_cmbNewApp"));
    auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("m_tblRules"));
    ASSERT_NE(app, nullptr);
    ASSERT_NE(table, nullptr);
    app->setCurrentText(QStringLiteral("org.gimp.GIMP"));
    dialog.findChild<QPushButton*>(QStringLiteral("m_btnAddRule"))->click();
    app->setCurrentText(QStringLiteral("KRITA"));  // already there, whatever the case: not twice
    dialog.findChild<QPushButton*>(QStringLiteral("m_btnAddRule"))->click();
    app->setCurrentText(QStringLiteral("bad=name"));  // cannot be stored: said, not added
    dialog.findChild<QPushButton*>(QStringLiteral("m_btnAddRule"))->click();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("m_lblRulesError"))->text().contains(QStringLiteral("bad=name")));
    static_cast<QComboBox*>(table->cellWidget(1, 1))->setCurrentIndex(2);  // GIMP: mode 3
    table->selectRow(1);
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
        if (b->text() == QString::fromStdString(strings.Get("APP_MODES_UP"))) b->click();
    }
    dialog.findChild<QComboBox*>(QStringLiteral("m_cmbFallback"))->setCurrentIndex(1);

    // Starting at login is offered only with the tray kept: it starts in the tray.
    auto* inTray = dialog.findChild<QCheckBox*>(QStringLiteral("m_chkInTray"));
    auto* atLogin = dialog.findChild<QCheckBox*>(QStringLiteral("m_chkAtLogin"));
    EXPECT_FALSE(atLogin->isEnabled());
    inTray->setChecked(true);
    atLogin->setChecked(true);
    EXPECT_EQ(dialog.EditedPresence().atLogin, true);
    inTray->setChecked(false);
    EXPECT_FALSE(atLogin->isChecked());
    inTray->setChecked(true);
    atLogin->setChecked(true);
    const AppModeRulesDialog::Presence presence = dialog.EditedPresence();
    EXPECT_TRUE(presence.inTray && presence.atLogin);

    AppModeRules want;
    want.Set("org.gimp.GIMP", 3);
    want.Set("krita", 2);
    want.fallback = 1;
    EXPECT_EQ(dialog.Edited(), want);
    dialog.show();
    QTest::keyClick(table, Qt::Key_Return);  // Save is the default button
    auto* error = dialog.findChild<QLabel*>(QStringLiteral("m_lblRulesError"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(error->text().contains(QStringLiteral("No space left on device"))) << error->text().toStdString();
    diskFull = false;
    QTest::keyClick(table, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0], want);
}

}  // namespace
}  // namespace kelvadeck::guitest
