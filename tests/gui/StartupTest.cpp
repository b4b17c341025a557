// Start-up, the window, and the device coming and going.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <algorithm>
#include <QPushButton>

#include "GuiRig.h"
#include "app/UdevMonitor.h"
#include "device/USBHidManager.h"

namespace kelvadeck::guitest {
namespace {

// A Kelvadeck that is listed but cannot be opened, as when the udev rule is missing.
class RefusingBackend : public HidBackend {
public:
    std::vector<HidInterfaceInfo> Enumerate(uint16_t, uint16_t) override {
        ++enumerations;
        HidInterfaceInfo info;
        info.path = "/dev/hidraw7";
        info.vendorId = USBHidManager::VENDOR_ID;
        info.productId = USBHidManager::PRODUCT_ID;
        info.usagePage = USBHidManager::USAGE_PAGE_VENDOR;
        info.usage = 1;
        return {info};
    }
    std::unique_ptr<HidDevice> Open(const std::string&) override { return nullptr; }
    std::string LastError() const override {
        return "No permission to open the Kelvadeck at /dev/hidraw7: install the udev rule 60-kelvadeck.rules.";
    }
    int enumerations = 0;
};

QString Text(GuiRig& rig, const char* name) {
    QLabel* l = rig.Find<QLabel>(QString::fromLatin1(name));
    return l ? l->text() : QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
}

bool Enabled(GuiRig& rig, const char* name) {
    QPushButton* b = rig.Find<QPushButton>(QString::fromLatin1(name));
    return b != nullptr && b->isEnabled();
}

TEST(Startup, ConnectsToTheEmulatorAndShowsTheFirmwareVersion) {
    GuiRig::Setup setup;
    setup.knobs.firmwareVersion = "2.07b";
    GuiRig rig(setup);
    // Before launching has finished there is no data manager and the
    // controls are blocked; the timer does nothing.
    EXPECT_FALSE(Enabled(rig, "m_btnSetting"));
    EXPECT_TRUE(rig.Top().IsTimerRunning());
    rig.Launch();

    EXPECT_EQ(Text(rig, "m_lblUSBStatus"), QStringLiteral("Connected (emulated Kelvadeck)"));
    EXPECT_EQ(Text(rig, "m_lblUSBStatusTitle"), QStringLiteral("Device:"));
    EXPECT_EQ(Text(rig, "m_lblFirmwareVer"), QStringLiteral("Firmware version: 2.07b"));
    EXPECT_TRUE(Enabled(rig, "m_btnSetting"));
    EXPECT_TRUE(Enabled(rig, "m_btnProfileSelect2"));
    EXPECT_TRUE(Enabled(rig, "m_btnDialFuncColorSelect3"));
    EXPECT_TRUE(rig.LogHas("USBHID : Device Detected!"));
    EXPECT_TRUE(rig.LogHas("TopVC : Get USB data update flag!"));
    EXPECT_TRUE(rig.Dm().bDataInitialize());
    EXPECT_TRUE(Text(rig, "m_lblJobMessage").isEmpty());
}

TEST(Startup, WindowTitleIsNameTwoBlanksVersionAndSaysEmulated) {
    GuiRig rig;
    rig.Launch();
    EXPECT_EQ(rig.Window().windowTitle(),
              QStringLiteral("Kelvadeck Configurator  " KELVADECK_VERSION "  [emulated device]  \u2014  test-emulator.mbf"));
    QLabel* note = rig.Find<QLabel>(QStringLiteral("lblEmulatorNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->text().contains(QStringLiteral("Emulated Kelvadeck")));
    EXPECT_TRUE(note->text().contains(QStringLiteral("/tmp/test-emulator.mbf")));
}

TEST(Startup, WithoutDeviceTheControlsStayBlockedAndTheStatusSaysWhy) {
    GuiRig::Setup setup;
    setup.plugged = false;
    GuiRig rig(setup);
    rig.Launch();
    GuiRig::Settle(2600);
    EXPECT_EQ(Text(rig, "m_lblUSBStatus"), QStringLiteral("Not connected"));
    EXPECT_TRUE(Text(rig, "m_lblStatusDetail").startsWith(QStringLiteral("No Kelvadeck found")));
    EXPECT_FALSE(Enabled(rig, "m_btnSetting"));
    EXPECT_FALSE(Enabled(rig, "m_btnProfileSelect1"));
    EXPECT_FALSE(rig.Dm().bDataInitialize());
    // The main screen keeps looking for the emulated device (which no system
    // announces), about once a second (not five times a second).
    const auto searches = std::count(rig.log.begin(), rig.log.end(), std::string("USBHID : Device Detected!"));
    EXPECT_GE(searches, 3);
    EXPECT_LE(searches, 5);
}

TEST(Startup, ADeviceThatCannotBeOpenedShowsTheReasonAndItsFix) {
    GuiRig::Setup setup;
    auto refusing = std::make_shared<RefusingBackend>();
    setup.backend = refusing;
    GuiRig rig(setup);
    rig.Launch();
    GuiRig::Settle(1200);
    EXPECT_EQ(Text(rig, "m_lblUSBStatus"), QStringLiteral("Not connected"));
    EXPECT_EQ(Text(rig, "m_lblStatusDetail"),
              QStringLiteral("A Kelvadeck was found but cannot be opened. No permission to open the Kelvadeck at /dev/hidraw7: "
                             "install the udev rule 60-kelvadeck.rules."));
    EXPECT_FALSE(Enabled(rig, "m_btnSetting"));
    // After a failed open the device is tried once a second, not five times.
    EXPECT_GE(refusing->enumerations, 1);
    EXPECT_LE(refusing->enumerations, 3);
}

TEST(Startup, ArrivalIsFoundByPollingAndReadsTheDevice) {
    GuiRig::Setup setup;
    setup.plugged = false;
    GuiRig rig(setup);
    rig.Launch();
    rig.device.Plug();
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return Enabled(rig, "m_btnSetting"); }, 5000));
    EXPECT_EQ(Text(rig, "m_lblUSBStatus"), QStringLiteral("Connected (emulated Kelvadeck)"));
    EXPECT_EQ(Text(rig, "m_lblFirmwareVer"), QStringLiteral("Firmware version: 1.02"));
}

// A real device's arrival and removal come from udev: the application opens
// and reads it at once, and lets it go at once, without waiting to look.
TEST(Startup, ArrivalAndRemovalAnnouncedByUdevAreFollowedAtOnce) {
    GuiRig::Setup setup;
    setup.plugged = false;
    setup.asRealDevice = true;
    GuiRig rig(setup);
    rig.Launch();
    auto* udev = rig.App().findChild<UdevMonitor*>();
    ASSERT_NE(udev, nullptr);
    if (!udev->IsActive()) GTEST_SKIP() << "no udev on this machine";
    rig.device.Plug();
    QElapsedTimer clock;
    clock.start();
    emit udev->hidrawChanged();
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return Enabled(rig, "m_btnSetting"); }, 5000));
    EXPECT_LT(clock.elapsed(), 900) << "found by the event, not by a search a second later";
    rig.device.Unplug();
    emit udev->hidrawChanged();
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return Text(rig, "m_lblUSBStatus") == QStringLiteral("Not connected"); }, 900));
    // No search while nothing is announced.
    rig.log.clear();
    GuiRig::Settle(1500);
    EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), std::string("USBHID : Device Detected!")), 0);
}

TEST(Startup, RemovalBlocksTheControlsAndReplugReadsAgain) {
    GuiRig rig;
    rig.Launch();
    ASSERT_TRUE(Enabled(rig, "m_btnSetting"));
    rig.device.Unplug();
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return Text(rig, "m_lblUSBStatus") == QStringLiteral("Not connected"); }, 5000));
    EXPECT_FALSE(Enabled(rig, "m_btnSetting"));
    EXPECT_FALSE(Enabled(rig, "m_btnProfileColorSelect1"));
    EXPECT_TRUE(rig.LogHas("USBHID : Device Removed!"));

    rig.log.clear();
    rig.device.Plug();
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return Enabled(rig, "m_btnSetting"); }, 5000));
    EXPECT_TRUE(rig.LogHas("USBHID : Device Detected!"));
    EXPECT_TRUE(rig.LogHas("TopVC : Get USB data update flag!"));
}

// The system log hears of a device's arrival, its boot read and its removal,
// not of every report nor of every look for a device that is not there.
TEST(Startup, AStartAndTenSecondsWithoutADeviceLogAFewLines) {
    GuiRig rig;
    rig.Launch();
    rig.device.Unplug();
    GuiRig::Settle(10000);
    RecordProperty("info_lines", static_cast<int>(rig.logged.size()));
    EXPECT_LT(rig.logged.size(), 20u) << rig.logged.size() << " lines, the first: " << (rig.logged.empty() ? "" : rig.logged.front());
    EXPECT_GT(rig.log.size(), 200u) << "the debug lines are still made";
    EXPECT_TRUE(std::count(rig.logged.begin(), rig.logged.end(), "USBHID : Device Removed!") == 1);
    EXPECT_TRUE(std::count(rig.logged.begin(), rig.logged.end(), "USBHID : Device Detected!") == 1);
}

TEST(Startup, UnplugDuringTheBootReadIsShownAsAFailedRead) {
    GuiRig::Setup setup;
    setup.knobs.unplugAfterExchanges = 40;
    GuiRig rig(setup);
    rig.App().applicationDidFinishLaunching();
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return !Text(rig, "m_lblJobMessage").isEmpty(); }, 5000));
    EXPECT_TRUE(Text(rig, "m_lblJobMessage").startsWith(QStringLiteral("Reading the device settings did not complete.")));
    EXPECT_TRUE(Text(rig, "m_lblJobMessage").contains(QStringLiteral("disconnected")));
    EXPECT_EQ(Text(rig, "m_lblUSBStatus"), QStringLiteral("Not connected"));
    EXPECT_FALSE(Enabled(rig, "m_btnSetting"));
}

}  // namespace
}  // namespace kelvadeck::guitest
