// The main screen's picture of a known device image.
#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <filesystem>

#include "GuiRig.h"
#include "KnownImage.h"
#include "model/Constants.h"
#include "screens/ElidedLabel.h"

namespace kelvadeck::guitest {
namespace {

QString Text(GuiRig& rig, const QString& name) {
    QLabel* l = rig.Find<QLabel>(name);
    return l ? l->text() : QStringLiteral("<missing %1>").arg(name);
}

GuiRig::Setup KnownSetup() {
    GuiRig::Setup setup;
    setup.image = BuildKnownImage();
    return setup;
}

TEST(TopVC, ShowsTheDialFunctionsOfTheCurrentModeWithTheDefaultMarked) {
    GuiRig rig(KnownSetup());
    rig.Launch();
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblDialFuncName1")), QStringLiteral("* Brush size"));
    EXPECT_TRUE(rig.Find<QLabel>(QStringLiteral("m_lblDialFuncName1"))->font().bold());
    EXPECT_EQ(rig.Find<QLabel>(QStringLiteral("m_lblDialFuncName1"))->font().pointSize(), 13);
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblDialFuncName2")), QStringLiteral("Zoom"));
    EXPECT_FALSE(rig.Find<QLabel>(QStringLiteral("m_lblDialFuncName2"))->font().bold());
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblDialFuncName3")), QStringLiteral("Rotate view"));
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblDialFuncName4")), QStringLiteral("Opacity"));
    EXPECT_EQ(rig.Find<QLabel>(QStringLiteral("m_lblDialFuncName4"))->toolTip(), QStringLiteral("Opacity"));
}

// The picture shows the device's settings as soon as they are read, while the
// script directory is still on its way (here held up by a lost answer).
TEST(TopVC, ShowsTheSettingsBeforeTheDirectoryHasArrived) {
    GuiRig::Setup setup = KnownSetup();
    setup.knobs.dropAnswerOfExchanges = {41};  // the version, 39 settings reads, then the directory
    GuiRig rig(setup);
    rig.App().applicationDidFinishLaunching();
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return Text(rig, QStringLiteral("m_lblDialFuncName2")) == QStringLiteral("Zoom"); }, 5000));
    EXPECT_FALSE(rig.Dm().bDataInitialize());
    EXPECT_TRUE(rig.Dm().pUSBHID().IsJobRunning());
    EXPECT_FALSE(rig.Find<QPushButton>(QStringLiteral("m_btnSetting"))->isEnabled());
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return rig.Dm().bDataInitialize(); }, 5000));
    rig.Settle();
    EXPECT_EQ(rig.Dm().g_arPSI.size(), 3u);
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblDialFuncName2")), QStringLiteral("Zoom"));
    EXPECT_TRUE(rig.Find<QPushButton>(QStringLiteral("m_btnSetting"))->isEnabled());
}

TEST(TopVC, ShowsEveryKeyAssignment) {
    GuiRig rig(KnownSetup());
    rig.Launch();
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblSwitchFuncName1")), QStringLiteral("Key : Keystroke [Ctrl]"));
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblSwitchFuncName2")), QStringLiteral("Key : Keystroke [Ctrl+Shift]"));
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblSwitchFuncName3")), QStringLiteral("Key : Keystroke"));
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblSwitchFuncName6")), QStringLiteral("General : Next mode"));
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblSwitchFuncName7")), QStringLiteral("Mouse : Right click"));
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblSwitchFuncName8")), QStringLiteral("Preset : Photoshop : Eyedropper"));
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblSwitchFuncName9")), QStringLiteral("Multimedia : Play / pause"));
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblSwitchFuncName11")), QStringLiteral("General : Next dial function"));
    EXPECT_EQ(rig.Find<QLabel>(QStringLiteral("m_lblSwitchFuncName9"))->toolTip(), QStringLiteral("Multimedia : Play / pause"));
    // The keys a key assignment presses, on the key cap.
    EXPECT_EQ(Text(rig, QStringLiteral("lblKeyCombination1")), QStringLiteral("Ctrl+Z"));
    EXPECT_EQ(Text(rig, QStringLiteral("lblKeyCombination2")), QStringLiteral("Ctrl+Shift+Z"));
    EXPECT_EQ(Text(rig, QStringLiteral("lblKeyCombination7")), QString());
}

TEST(TopVC, PaintsTheLedColoursOfModesFunctionsAndTheRing) {
    GuiRig rig(KnownSetup());
    rig.Launch();
    // Mode 1 (0, 55, 100) shows as it is: two channels are lit.
    EXPECT_TRUE(rig.Find<QFrame>(QStringLiteral("m_cvProfileColor1"))->styleSheet().contains(QStringLiteral("#008cff")));
    EXPECT_TRUE(rig.Find<QFrame>(QStringLiteral("m_cvLEDColorPreviewArea"))->styleSheet().contains(QStringLiteral("#008cff")));
    EXPECT_TRUE(rig.Find<QFrame>(QStringLiteral("m_cvLEDColorPreviewArea"))->styleSheet().contains(QStringLiteral("12px solid")));
    // Mode 2 (100, 45, 0).
    EXPECT_TRUE(rig.Find<QFrame>(QStringLiteral("m_cvProfileColor2"))->styleSheet().contains(QStringLiteral("#ff7300")));
    // Dial function 4 of mode 1 (100, 100, 0).
    EXPECT_TRUE(rig.Find<QFrame>(QStringLiteral("m_cvDialFuncColor4"))->styleSheet().contains(QStringLiteral("#ffff00")));
}

TEST(TopVC, SelectingAModeSetsTheCurrentModeAndRedraws) {
    GuiRig rig(KnownSetup());
    rig.Launch();
    EXPECT_TRUE(rig.Find<QFrame>(QStringLiteral("m_cvUnderBar1"))->styleSheet().contains(QStringLiteral("#000000")));
    rig.Find<QPushButton>(QStringLiteral("m_btnProfileSelect3"))->click();
    EXPECT_EQ(rig.Dm().g_pSSI.bMode, Constants::MODE_3_ID);
    EXPECT_TRUE(rig.Find<QFrame>(QStringLiteral("m_cvUnderBar3"))->styleSheet().contains(QStringLiteral("#000000")));
    EXPECT_TRUE(rig.Find<QFrame>(QStringLiteral("m_cvUnderBar1"))->styleSheet().contains(QStringLiteral("transparent")));
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblDialFuncName1")), QStringLiteral("* Layer"));
    EXPECT_EQ(Text(rig, QStringLiteral("lblKeyCombination1")), QStringLiteral("Super+A"));
    EXPECT_TRUE(rig.Find<QFrame>(QStringLiteral("m_cvLEDColorPreviewArea"))->styleSheet().contains(QStringLiteral("#b300ff")));

    rig.Find<QPushButton>(QStringLiteral("m_btnProfileSelect2"))->click();
    EXPECT_EQ(rig.Dm().g_pSSI.bMode, Constants::MODE_2_ID);
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblDialFuncName2")), QStringLiteral("* Volume"));
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblDialFuncName4")), QStringLiteral("(unnamed)"));
    EXPECT_EQ(Text(rig, QStringLiteral("m_lblSwitchFuncName5")), QStringLiteral("Not assigned"));
}

TEST(TopVC, EditingScreensAreReachableFromTheMainScreen) {
    GuiRig rig(KnownSetup());
    rig.Launch();
    // The switch and dial function screens are part of this version.
    EXPECT_TRUE(rig.Find<QPushButton>(QStringLiteral("m_btnSwitchFuncSelect1"))->isEnabled());
    EXPECT_TRUE(rig.Find<QPushButton>(QStringLiteral("m_btnDialFuncSelect1"))->isEnabled());
    EXPECT_EQ(rig.Find<QPushButton>(QStringLiteral("m_btnSetting"))->text(), QStringLiteral("Setup"));
    EXPECT_EQ(rig.Find<QPushButton>(QStringLiteral("m_btnEditMacro"))->text(), QStringLiteral("Macro Editor"));
}

// The whole window fits a 1024x700 screen and more: the picture of the
// device scales down with the window, and every part stays inside it.
TEST(TopVC, ThePictureScalesWithTheWindow) {
    GuiRig rig(KnownSetup());
    rig.Launch();
    MainWindow& window = rig.Window();
    EXPECT_LE(window.minimumSizeHint().width(), 900);
    EXPECT_LE(window.minimumSizeHint().height(), 600);
    window.resize(window.minimumSizeHint());
    window.show();
    GuiRig::Settle(100);
    TopVC& top = rig.Top();
    EXPECT_LT(top.Scale(), 0.75);
    for (const char* name : {"m_cvDialFuncBox2", "m_cvDialFuncBox3", "m_cvSwichFuncBox5", "m_cvSwichFuncBox10", "m_btnHelp",
                             "m_cvProfileNameArea3", "m_lblStatusDetail"}) {
        auto* part = rig.Find<QWidget>(QString::fromLatin1(name));
        ASSERT_NE(part, nullptr) << name;
        EXPECT_TRUE(top.rect().contains(part->geometry().translated(part->parentWidget()->mapTo(&top, QPoint())))) << name;
    }
    // Larger again, the picture takes its own size.
    window.resize(1600, 1000);
    GuiRig::Settle(100);
    EXPECT_GE(top.Scale(), 1.0);
    window.hide();
}

// A name longer than its box ends in an ellipsis; the whole name is the
// box's tooltip.
TEST(TopVC, ALongDialFunctionNameIsElidedWithTheWholeNameAsTooltip) {
    GuiRig rig(KnownSetup());
    rig.Launch();
    const std::u16string name = u"Brush size larger, pressure on";
    rig.Dm().g_arPSI[0].arDialFuncElemList[1].strFunctionName = name;
    rig.Top().RenewUI();
    auto* label = rig.Find<ElidedLabel>(QStringLiteral("m_lblDialFuncName2"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromStdU16String(name));
    EXPECT_EQ(rig.Find<QPushButton>(QStringLiteral("m_btnDialFuncSelect2"))->toolTip(), QString::fromStdU16String(name));
    for (const QSize size : {QSize(1240, 700), QSize(900, 600)}) {
        rig.Window().resize(size);
        rig.Window().show();
        GuiRig::Settle(100);
        const QStringList lines = label->ShownLines();
        EXPECT_TRUE(label->IsElided()) << size.width();
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(lines.last().endsWith(QChar(0x2026))) << lines.join(QLatin1Char('|')).toStdString();
        // No line is cut: each is as wide as the label at most, and all of them fit its height.
        for (const QString& line : lines) EXPECT_LE(label->fontMetrics().horizontalAdvance(line), label->contentsRect().width());
        EXPECT_LE(lines.size() * label->fontMetrics().lineSpacing(), label->contentsRect().height());
    }
    rig.Window().hide();
    // A short name is shown whole.
    EXPECT_FALSE(rig.Find<ElidedLabel>(QStringLiteral("m_lblDialFuncName3"))->IsElided());
}

TEST(TopVC, HelpOpensTheInstalledEnglishPageOfTheMainScreen) {
    GuiRig rig;
    rig.Launch();
    rig.Find<QPushButton>(QStringLiteral("m_btnHelp"))->click();
    ASSERT_EQ(rig.prompts.helpPages.size(), 1u);
    const std::string page = rig.prompts.helpPages[0];
    EXPECT_TRUE(page.ends_with("help/manual_eng/main.html")) << page;
    EXPECT_TRUE(std::filesystem::is_regular_file(page));
    EXPECT_TRUE(rig.prompts.errors.empty());
}

TEST(TopVC, HelpForAJapaneseHostOpensTheJapanesePage) {
    GuiRig::Setup setup;
    setup.countryCode = "JP";
    GuiRig rig(setup);
    rig.Launch();
    rig.Find<QPushButton>(QStringLiteral("m_btnHelp"))->click();
    ASSERT_EQ(rig.prompts.helpPages.size(), 1u);
    EXPECT_TRUE(rig.prompts.helpPages[0].ends_with("help/manual_jpn/main.html")) << rig.prompts.helpPages[0];
}

TEST(TopVC, AHelpPageThatCannotBeOpenedIsReported) {
    GuiRig rig;
    rig.prompts.helpOpens = false;
    rig.Launch();
    rig.Find<QPushButton>(QStringLiteral("m_btnHelp"))->click();
    ASSERT_EQ(rig.prompts.errors.size(), 1u);
    EXPECT_NE(rig.prompts.errors[0].find("could not be opened"), std::string::npos);
}

}  // namespace
}  // namespace kelvadeck::guitest
