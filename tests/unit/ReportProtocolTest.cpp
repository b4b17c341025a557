#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FakeHid.h"
#include "core/DataManager.h"
#include "device/ComElem.h"
#include "device/ComQue.h"
#include "device/ProgressReceiver.h"
#include "device/SyncComRunner.h"
#include "device/USBHidManager.h"

namespace kelvadeck {
namespace {

using fakehid::Bytes;
using fakehid::FakeBackend;
using fakehid::FakeDevice;
using fakehid::HealthyAnswer;
using fakehid::PatternAt;
using fakehid::Report;

class Rig {
public:
    std::shared_ptr<FakeBackend> backend = std::make_shared<FakeBackend>();
    std::vector<std::string> log;
    std::unique_ptr<DataManager> dm;

    Rig() {
        DataManager::Options o;
        o.hidBackend = backend;
        o.logger = Logger([this](const std::string& line) { log.push_back(line); });
        dm = std::make_unique<DataManager>(std::move(o));
    }
    USBHidManager& hid() { return dm->pUSBHID(); }
    ComQue& que() { return dm->pComQue(); }
    FakeDevice& dev() { return *backend->device; }
    ComResult Run() { return SyncComRunner(hid()).Run(); }

    // Plugged in and booted with a healthy device; the recordings start afresh.
    void Connect() {
        hid().DeviceDetected();
        Run();
        ASSERT_TRUE(hid().bConnected());
        ASSERT_TRUE(hid().LastResult().Succeeded());
        dev().written.clear();
        dev().readTimeouts.clear();
        dm->SetDataUpdate(false);
        log.clear();
    }
    size_t Count(const std::string& line) const { return static_cast<size_t>(std::count(log.begin(), log.end(), line)); }
    bool Logged(const std::string& line) const { return Count(line) > 0; }
};

Report Filled(std::initializer_list<uint8_t> head) { return Bytes(head, 0xFF); }

// The boot read of a device whose directory names no script: the version,
// eight settings blocks and the head of each of the 200 directory records.
constexpr int32_t kBootSteps = 1 + 8 + 200;

ComElem Step(uint8_t code, uint64_t addr, int32_t size) {
    ComElem e;
    e.bSequenceCommandID = code;
    e.dwFullAddr = addr;
    e.nSectorNo = static_cast<int32_t>(addr / 0x10000);
    e.dwSectorAddr = addr % 0x10000;
    e.nReqSize = size;
    e.bIOMode = ComElem::IO_MODE_SECTOR;
    return e;
}

// ---------------------------------------------------------------------------
// Device selection

TEST(UsbHidSelection, TakesTheFirstVendorPageInterfaceInEnumerationOrder) {
    Rig rig;
    rig.backend->interfaces = {FakeBackend::Interface("kbd", 0x0001, 0x06), FakeBackend::Interface("first", 0xFF00, 0x01),
                               FakeBackend::Interface("second", 0xFF00, 0x01)};
    rig.hid().DeviceDetected();
    EXPECT_EQ(rig.backend->opened, std::vector<std::string>{"first"});
    EXPECT_TRUE(rig.hid().bConnected());
    EXPECT_TRUE(rig.hid().bUSBStatusUpdate());
    EXPECT_FALSE(rig.hid().CheckUSBDetectPorling());
    EXPECT_EQ(rig.hid().GetIntProperty("VendorID"), 0x22EA);
    EXPECT_EQ(rig.hid().GetIntProperty("ProductID"), 0x004B);
    EXPECT_EQ(rig.hid().GetIntProperty("DeviceUsagePage"), 0xFF00);
    EXPECT_EQ(rig.hid().GetIntProperty("PrimaryUsagePage"), 0xFF00);
    EXPECT_EQ(rig.hid().GetIntProperty("DeviceUsage"), 1);
    EXPECT_EQ(rig.hid().GetIntProperty("NoSuchKey"), 0);
    EXPECT_TRUE(rig.Logged("USBHID : Device Detected!"));
}

// Two vendor interfaces are two Kelvadecks when their serial numbers differ,
// or when they have one and the same interface number.
TEST(UsbHidSelection, SeveralKelvadecksAreToldApartAndNoneIsTakenUnchosen) {
    auto vendor = [](const std::string& path, const std::string& serial, int number) {
        FakeBackend::HidInterfaceInfo i = FakeBackend::Interface(path, 0xFF00, 0x01);
        i.serialNumber = serial;
        i.interfaceNumber = number;
        return i;
    };
    struct Case {
        const char* name;
        std::vector<FakeBackend::HidInterfaceInfo> interfaces;
        std::vector<std::string> kelvadecks;
    };
    const std::vector<Case> cases = {
        {"one device, two vendor interfaces", {vendor("a", "S1", -1), vendor("b", "S1", -1)}, {"a"}},
        {"two serial numbers", {vendor("a", "S1", 1), vendor("b", "S2", 1)}, {"a", "b"}},
        {"no serial numbers, one interface number", {vendor("a", "", 1), vendor("b", "", 1)}, {"a", "b"}},
        {"keyboards only", {FakeBackend::Interface("kbd", 0x0001, 0x06)}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> paths;
        for (const auto& d : USBHidManager::Kelvadecks(c.interfaces)) paths.push_back(d.path);
        EXPECT_EQ(paths, c.kelvadecks);
    }

    Rig rig;
    rig.backend->interfaces = {FakeBackend::Interface("kbd", 0x0001, 0x06), vendor("a", "S1", 1), vendor("b", "S2", 1)};
    rig.hid().DeviceDetected();
    EXPECT_FALSE(rig.hid().bConnected());
    EXPECT_TRUE(rig.backend->opened.empty());
    EXPECT_NE(rig.hid().LastOpenError().find("a (serial S1), b (serial S2)"), std::string::npos) << rig.hid().LastOpenError();
    for (const std::string choice : {"S2", "b"}) {
        rig.hid().SetDeviceChoice(choice);
        rig.hid().DeviceDetected();
        EXPECT_TRUE(rig.hid().bConnected());
        EXPECT_EQ(rig.backend->opened.back(), "b");
    }
}

TEST(UsbHidSelection, NoVendorPageLeavesTheTransportSearching) {
    Rig rig;
    rig.backend->interfaces = {FakeBackend::Interface("kbd", 0x0001, 0x06), FakeBackend::Interface("mouse", 0x0001, 0x02)};
    rig.hid().DeviceDetected();
    EXPECT_TRUE(rig.backend->opened.empty());
    EXPECT_FALSE(rig.hid().bConnected());
    EXPECT_TRUE(rig.hid().bUSBStatusUpdate());
    EXPECT_TRUE(rig.hid().CheckUSBDetectPorling());
    EXPECT_EQ(rig.hid().GetIntProperty("VendorID"), 0);
    EXPECT_TRUE(rig.Logged("USBHID : Device Removed!"));
    EXPECT_FALSE(rig.hid().StartCom());
    EXPECT_TRUE(rig.Logged("USBHID : not connecte usb..."));
}

TEST(UsbHidSelection, OtherIdentifiersAreNotLookedAt) {
    Rig rig;
    rig.backend->interfaces[1].productId = 0x004C;
    rig.hid().DeviceDetected();
    EXPECT_FALSE(rig.hid().bConnected());
}

TEST(UsbHidSelection, AnInterfaceThatCannotBeOpenedIsReported) {
    Rig rig;
    rig.backend->openFails = true;
    rig.hid().DeviceDetected();
    EXPECT_FALSE(rig.hid().bConnected());
    EXPECT_EQ(rig.hid().LastOpenError(), "permission denied");
    EXPECT_TRUE(rig.hid().CheckUSBDetectPorling());
}

TEST(UsbHidSelection, WithoutABackendNothingIsFound) {
    DataManager dm;
    dm.pUSBHID().DeviceDetected();
    EXPECT_FALSE(dm.pUSBHID().bConnected());
    EXPECT_TRUE(dm.pUSBHID().CheckUSBDetectPorling());
}

// ---------------------------------------------------------------------------
// Boot

TEST(ReportProtocolBoot, ArrivalReadsVersionSettingsAndDirectory) {
    Rig rig;
    rig.dm->SectorBuffer(5)[0] = 0x12;  // wiped by the arrival
    rig.hid().DeviceDetected();
    EXPECT_EQ(rig.hid().bHidStatus(), USBHidManager::HID_STATUS_RUNNING);
    const ComResult r = rig.Run();
    EXPECT_TRUE(r.Succeeded());
    // No record of the served pattern names a stored script: no names follow the heads.
    EXPECT_EQ(r.nStepsDone, kBootSteps);
    EXPECT_EQ(r.dwExchanges, 240u);
    EXPECT_EQ(rig.dev().written.size(), 240u);
    EXPECT_EQ(rig.hid().bHidStatus(), USBHidManager::HID_STATUS_ENDED);
    EXPECT_TRUE(rig.dm->bDataUpdate());
    EXPECT_EQ(rig.dm->g_pSSI.strFirmwareVer, std::optional<std::string>("1.02"));
    EXPECT_EQ(rig.dm->SectorBuffer(5)[0], 0xFF);
    // Every settings block and the directory hold what the device served.
    const uint8_t* s0 = rig.dm->SectorBuffer(0);
    for (uint32_t a : {0x0000u, 0x0007u, 0x0010u, 0x006Fu, 0x0100u, 0x021Fu, 0x04EEu, 0x0577u, 0x08FFu, 0x0A8Fu, 0x0C07u}) {
        EXPECT_EQ(s0[a], PatternAt(a)) << a;
    }
    EXPECT_EQ(s0[0x0008], 0xFF);  // between the blocks: not read
    EXPECT_EQ(s0[0x0A90], 0xFF);
    // The directory's header and the first 62 bytes of every record.
    const uint8_t* s1 = rig.dm->SectorBuffer(1);
    for (uint32_t record = 0; record < 200; ++record) {
        const uint32_t from = record == 0 ? 0 : 16 + 272 * record;
        for (uint32_t off = from; off < from + 62; ++off) ASSERT_EQ(s1[off], PatternAt(0x10000 + off)) << off;
        EXPECT_EQ(s1[from + 62], 0xFF) << record;
    }
    EXPECT_EQ(rig.Count("USBHID : Start communication."), 1u);
    EXPECT_EQ(rig.Count("USBHID : End communication."), 1u);
}

// ---------------------------------------------------------------------------
// Output reports

struct OutputCase {
    const char* name;
    std::function<void(ComQue&)> queue;
    Report report;
    const char* logLine;  // nullptr: none expected
};

TEST(ReportProtocolOutput, EachCommandKindBuildsItsReport) {
    Report write = Filled({0x12, 0x00, 0x02, 0x00, 0x40, 0x03, 0xA1, 0xA2, 0xA3});
    Report base = Filled({0x34, 1, 2, 3, 4, 5, 6});
    const std::vector<OutputCase> cases = {
        {"read 8 at 0x10010", [](ComQue& q) { q.AddQue(Step(0x11, 0x10010, 8)); },
         Filled({0x11, 0x00, 0x01, 0x00, 0x10, 0x08}), "Read: 0x10010[0 1 0 10] : 8/0"},
        {"erase sector 31", [](ComQue& q) { q.SetDeleteComQue(31); }, Filled({0x13, 0x00, 0x1F, 0x00, 0x00}),
         "Delete: 0x1F0000[0 1F 0 0]"},
        {"preview", [](ComQue& q) { q.SetLedPreview(100, 0, 50, 1); },
         Filled({0x64, 0x03, 0x20, 0x4E, 0x01, 0x64, 0x00, 0x32}), "Single: command = 0x64, size = 7"},
        {"version", [](ComQue& q) { q.CreateBootComQue(); }, Filled({0x56}), nullptr},
        {"write 3 at 0x20040", [](ComQue& q) { q.AddQue(Step(0x12, 0x20040, 3)); }, write, nullptr},
        {"base settings", [](ComQue& q) { q.CreateBaseSettingInfoComQue(); }, base, "Single: command = 0x34, size = 6"},
    };
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.Connect();
        rig.dev().onWrite = nullptr;  // no answers: only the first report goes out
        rig.dm->SectorBuffer(2)[0x40] = 0xA1;
        rig.dm->SectorBuffer(2)[0x41] = 0xA2;
        rig.dm->SectorBuffer(2)[0x42] = 0xA3;
        rig.dm->g_pSSI = StandardSettingInfo{std::nullopt, 1, 2, 3, 4, 5, 6};
        c.queue(rig.que());
        ASSERT_TRUE(rig.hid().StartCom());
        ASSERT_EQ(rig.dev().written.size(), 1u);
        EXPECT_EQ(rig.dev().written[0], c.report);
        if (c.logLine) {
            EXPECT_TRUE(rig.Logged(c.logLine)) << c.logLine;
        }
        EXPECT_EQ(rig.hid().OutBuf(), c.report);
    }
}

// ---------------------------------------------------------------------------
// Answers

TEST(ReportProtocolAnswers, VersionTextEndsAtZeroOrTheReportEnd) {
    struct Case {
        Report answer;
        std::string text;
    };
    Report full;
    full.fill('7');
    full[0] = 0x56;
    const std::vector<Case> cases = {{Bytes({0x56, '1', '.', '0', '2', 0, 'x', 'y'}), "1.02"},
                                     {full, std::string(63, '7')},
                                     {Bytes({0x56, 0}), ""}};
    for (const Case& c : cases) {
        Rig rig;
        rig.Connect();
        rig.dm->g_pSSI.strFirmwareVer.reset();
        rig.dev().onWrite = [&](const Report& r, FakeDevice& d) { d.Push(r[0] == 0x56 ? c.answer : HealthyAnswer(r)); };
        ASSERT_TRUE(rig.que().CreateBootComQue());
        ASSERT_TRUE(rig.hid().StartCom());
        rig.Run();
        EXPECT_EQ(rig.dm->g_pSSI.strFirmwareVer.value_or("<none>"), c.text);
    }
}

TEST(ReportProtocolAnswers, WriteErrorFailsTheStepAndTheNextStepFollowsAtOnce) {
    Rig rig;
    rig.Connect();
    rig.dev().onWrite = [](const Report& r, FakeDevice& d) {
        Report a = HealthyAnswer(r);
        if (r[0] == 0x12 && r[2] == 0x02) a[1] = 1;  // refused in sector 2
        d.Push(a);
    };
    // Bytes that change the flash (erased-looking chunks are not sent at all).
    std::memset(rig.dm->SectorBuffer(2), 0x11, 4);
    std::memset(rig.dm->SectorBuffer(3), 0x22, 4);
    ASSERT_TRUE(rig.que().AddQue(Step(0x12, 0x20000, 4)));
    ASSERT_TRUE(rig.que().AddQue(Step(0x12, 0x30000, 4)));
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    ASSERT_EQ(rig.dev().written.size(), 2u);
    EXPECT_EQ(rig.dev().written[1][2], 0x03);
    EXPECT_EQ(r.nStepsFailed, 1);
    EXPECT_EQ(r.nStepsDone, 1);
    EXPECT_FALSE(r.Succeeded());
    EXPECT_FALSE(r.bAborted);
    EXPECT_TRUE(rig.dm->bDataUpdate());
}

TEST(ReportProtocolAnswers, RefusedLiveUpdatesAreLoggedAndTheJobGoesOnWithAWarning) {
    Rig rig;
    rig.Connect();
    // Every settings report refused, three in a row and more: the flash write
    // before them and the erase after them still run.
    rig.dev().onWrite = [](const Report& r, FakeDevice& d) {
        d.Push(r[0] == 0x36 || r[0] == 0x64 ? Bytes({r[0], 2}) : HealthyAnswer(r));
    };
    ASSERT_TRUE(rig.que().SetDeleteComQue(0));
    ASSERT_TRUE(rig.que().CreateProfileSettingInfoComQue());
    ASSERT_TRUE(rig.que().SetLedPreview(1, 2, 3, 0));
    ASSERT_TRUE(rig.que().SetDeleteComQue(5));
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_EQ(rig.Count("FAILE : USBCOM received bad anser [54]!!"), 3u);
    EXPECT_TRUE(r.Succeeded());
    EXPECT_EQ(r.nStepsDone, 6);
    EXPECT_EQ(r.nLiveUpdatesRefused, 3);
    EXPECT_EQ(r.nPreviewsRefused, 1);
    EXPECT_TRUE(r.HasWarning());
    EXPECT_NE(r.Warning().find("3 of the new settings"), std::string::npos) << r.Warning();
    EXPECT_EQ(rig.dev().written.back()[0], 0x13);
}

TEST(ReportProtocolAnswers, OverlongReadAnswerFailsTheStepWithoutWritingPastIt) {
    Rig rig;
    rig.Connect();
    rig.dev().onWrite = [](const Report& r, FakeDevice& d) {
        Report a;
        a.fill(0xEE);
        a[0] = 0x11;
        a[1] = static_cast<uint8_t>(r[5] + 1);  // one byte more than asked for
        d.Push(a);
    };
    ASSERT_TRUE(rig.que().AddQue(Step(0x11, 0x2FFF8, 8)));  // the last 8 bytes of sector 2
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_EQ(r.nStepsFailed, 1);
    EXPECT_EQ(rig.dev().written.size(), 1u);  // no resend: the answer came, it was bad
    for (int i = 0; i < 0x10000; ++i) ASSERT_EQ(rig.dm->SectorBuffer(3)[i], 0xFF);
    EXPECT_EQ(rig.dm->SectorBuffer(2)[0xFFF8], 0xFF);
}

TEST(ReportProtocolAnswers, MaximalCountByteNeverOverrunsTheReport) {
    Rig rig;
    rig.Connect();
    rig.dev().onWrite = [](const Report&, FakeDevice& d) { d.Push(Bytes({0x11, 0xFF}, 0xEE)); };
    ASSERT_TRUE(rig.que().SetReadSectorComQue(4));
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_EQ(r.nStepsFailed, 1);
    EXPECT_FALSE(rig.dm->SectorReadFlag(4));
    EXPECT_EQ(rig.dm->SectorBuffer(4)[0], 0xFF);
}

TEST(ReportProtocolAnswers, ShortReadAnswersContinueWhereTheyStopped) {
    Rig rig;
    rig.Connect();
    rig.dev().onWrite = [](const Report& r, FakeDevice& d) {
        Report a = HealthyAnswer(r);
        if (a[1] > 10) a[1] = 10;  // the device sends at most 10 bytes at a time
        d.Push(a);
    };
    ASSERT_TRUE(rig.que().AddQue(Step(0x11, 0x20000, 25)));
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_TRUE(r.Succeeded());
    ASSERT_EQ(rig.dev().written.size(), 3u);
    EXPECT_EQ(rig.dev().written[1], Filled({0x11, 0x00, 0x02, 0x00, 0x0A, 15}));
    EXPECT_EQ(rig.dev().written[2], Filled({0x11, 0x00, 0x02, 0x00, 0x14, 5}));
    for (int i = 0; i < 25; ++i) EXPECT_EQ(rig.dm->SectorBuffer(2)[i], PatternAt(0x20000 + i));
}

struct RepeatCase {
    const char* name;
    Report answer;
    size_t size;
    const char* logLine;
    uint64_t address = 0x20000;
    int budgetMs = 2000;
};

// The device decides how long it stays busy: the request goes out again
// after pauses of 1, 2, 4 ... ms up to 50 ms, until the request's time is
// spent (longer for an erase); then its step fails and the job goes on.
TEST(ReportProtocolAnswers, AnswersThatAccountNothingRepeatTheRequestUntilItsTimeRunsOut) {
    const std::vector<RepeatCase> cases = {
        {"zero-count read answer", Bytes({0x11, 0}), 64, nullptr},
        {"busy 0x31", Bytes({0x31}), 64, nullptr},
        {"busy 0x63", Bytes({0x63}), 64, nullptr},
        {"unknown code", Bytes({0x77}), 64, "ERROR : PacketReceived unknown command !!"},
        {"busy erase", Bytes({0x33}), 64, nullptr, 0x40000, 5000},
    };
    for (const RepeatCase& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.Connect();
        const uint8_t code = c.address == 0x40000 ? 0x13 : 0x11;
        rig.dev().onWrite = [&c](const Report& r, FakeDevice& d) {
            d.Push(r[2] == 0x03 ? HealthyAnswer(r) : c.answer);
        };
        if (code == 0x13) {
            ASSERT_TRUE(rig.que().SetDeleteComQue(4));
        } else {
            ASSERT_TRUE(rig.que().AddQue(Step(0x11, c.address, 8)));
        }
        ASSERT_TRUE(rig.que().AddQue(Step(0x11, 0x30000, 8)));
        const int64_t start = rig.dev().clockMicros;
        ASSERT_TRUE(rig.hid().StartCom());
        const ComResult r = rig.Run();
        const int64_t spent = rig.dev().clockMicros - start;
        // Every send of the first request is the same report.
        const auto& w = rig.dev().written;
        ASSERT_GE(w.size(), 10u);
        for (size_t i = 1; i + 1 < w.size(); ++i) ASSERT_EQ(w[i], w[0]) << i;
        EXPECT_EQ(w.back()[2], 0x03);
        // The pauses grow and stay capped; the request's time is spent but not overrun.
        std::vector<int> pauses;
        for (int t : rig.dev().readTimeouts) {
            if (t > 0 && t <= 50) pauses.push_back(t);
        }
        ASSERT_GE(pauses.size(), 7u);
        EXPECT_EQ(std::vector<int>(pauses.begin(), pauses.begin() + 7), (std::vector<int>{1, 2, 4, 8, 16, 32, 50}));
        EXPECT_LE(spent, int64_t{c.budgetMs} * 1000);
        EXPECT_GT(spent, int64_t{c.budgetMs - 50} * 1000);
        EXPECT_EQ(r.nStepsFailed, 1);
        EXPECT_EQ(r.nStepsDone, 1);
        EXPECT_FALSE(r.bAborted);
        if (c.logLine) {
            EXPECT_TRUE(rig.Logged(c.logLine));
        }
    }
}

TEST(ReportProtocolAnswers, AnEmptyReportIsABusyAnswer) {
    Rig rig;
    rig.Connect();
    rig.dev().onWrite = nullptr;
    ASSERT_TRUE(rig.que().AddQue(Step(0x11, 0x20000, 8)));
    ASSERT_TRUE(rig.hid().StartCom());
    const Report empty{};
    rig.hid().PacketReceived(empty.data(), 0);
    // A pause of 1 ms, then the same request again.
    EXPECT_EQ(rig.hid().CurrentDeadlineMs(), 1);
    EXPECT_EQ(rig.dev().written.size(), 1u);
    rig.dev().clockMicros += 1000;
    rig.hid().AnswerTimedOut();
    ASSERT_EQ(rig.dev().written.size(), 2u);
    EXPECT_EQ(rig.dev().written[1], rig.dev().written[0]);
    EXPECT_EQ(rig.hid().CurrentDeadlineMs(), 500);
    EXPECT_EQ(rig.hid().CurrentResult().dwTimeouts, 0u);
}

TEST(ReportProtocolAnswers, BusyAnswersThenTheRealOneCompleteTheStep) {
    Rig rig;
    rig.Connect();
    int sends = 0;
    rig.dev().onWrite = [&sends](const Report& r, FakeDevice& d) {
        d.Push(++sends <= 2 ? Bytes({0x33}) : HealthyAnswer(r));
    };
    ASSERT_TRUE(rig.que().SetDeleteComQue(4));
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_TRUE(r.Succeeded());
    EXPECT_EQ(r.dwResends, 2u);
    EXPECT_EQ(rig.dev().written.size(), 3u);
}

TEST(ReportProtocolAnswers, AnswerToAnotherCommandIsNotAccounted) {
    Rig rig;
    rig.Connect();
    int sends = 0;
    rig.dev().onWrite = [&sends](const Report& r, FakeDevice& d) {
        if (sends++ == 0) d.Push(Bytes({0x13, 0}));  // a stale erase answer first
        d.Push(HealthyAnswer(r));
    };
    ASSERT_TRUE(rig.que().AddQue(Step(0x11, 0x20000, 8)));
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_TRUE(r.Succeeded());
    EXPECT_EQ(rig.dev().written.size(), 1u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rig.dm->SectorBuffer(2)[i], PatternAt(0x20000 + i));
}

TEST(ReportProtocolAnswers, InputOutsideAJobIsIgnored) {
    Rig rig;
    rig.Connect();
    const Report a = Bytes({0x11, 8, 1, 2, 3, 4, 5, 6, 7, 8});
    rig.hid().PacketReceived(a);
    EXPECT_FALSE(rig.dm->bDataUpdate());
    EXPECT_TRUE(rig.dev().written.empty());
}

// ---------------------------------------------------------------------------
// Jobs and StartCom

TEST(ReportProtocolJobs, StartComWhileAJobRunsOnlyAppends) {
    Rig rig;
    rig.Connect();
    ASSERT_TRUE(rig.que().SetLedPreview(1, 2, 3, 0));
    ASSERT_TRUE(rig.hid().StartCom());
    ASSERT_EQ(rig.dev().written.size(), 1u);
    ASSERT_TRUE(rig.que().SetDeleteComQue(9));
    EXPECT_TRUE(rig.hid().StartCom());
    EXPECT_TRUE(rig.Logged("USBHID : alredy start communication..."));
    EXPECT_EQ(rig.dev().written.size(), 1u);
    const ComResult r = rig.Run();
    EXPECT_EQ(r.nStepsDone, 2);
    ASSERT_EQ(rig.dev().written.size(), 2u);
    EXPECT_EQ(rig.dev().written[1][0], 0x13);
    EXPECT_EQ(rig.Count("USBHID : End communication."), 1u);
    EXPECT_TRUE(rig.dm->bDataUpdate());
}

TEST(ReportProtocolJobs, StartComWithNothingQueued) {
    Rig rig;
    rig.Connect();
    EXPECT_FALSE(rig.hid().StartCom());
    EXPECT_TRUE(rig.Logged("USBHID : no que data..."));
    EXPECT_TRUE(rig.dev().written.empty());
}

TEST(ReportProtocolJobs, AStepWithoutAReportFailsAndTheJobGoesOn) {
    Rig rig;
    rig.Connect();
    ComElem odd;
    odd.bSequenceCommandID = 0x99;
    ASSERT_TRUE(rig.que().AddQue(odd));
    ASSERT_TRUE(rig.que().SetDeleteComQue(2));
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_TRUE(rig.Logged("ERROR : CreateOutBuf unknown command !!"));
    EXPECT_EQ(r.nStepsFailed, 1);
    EXPECT_EQ(r.nStepsDone, 1);
}

class CountingProgress : public ProgressReceiver {
public:
    int calls = 0;
    void UpdateProgressBar() override { ++calls; }
};

TEST(ReportProtocolJobs, ProgressCountsEveryAccountedAnswerUntilTheJobEnds) {
    Rig rig;
    rig.Connect();
    CountingProgress p;
    rig.hid().SetRefSettingVC(&p);
    ASSERT_TRUE(rig.que().SetDeleteComQue(3));
    std::memset(rig.dm->SectorBuffer(3), 0x00, 300);
    ASSERT_TRUE(rig.que().AddQue(Step(0x12, 0x30000, 300)));  // 58 58 58 58 24 | 44
    ASSERT_TRUE(rig.hid().StartCom());
    rig.Run();
    EXPECT_EQ(p.calls, 1 + 6);
    // Dropped with the job's end: the next job does not notify.
    ASSERT_TRUE(rig.que().SetDeleteComQue(4));
    ASSERT_TRUE(rig.hid().StartCom());
    rig.Run();
    EXPECT_EQ(p.calls, 7);
}

// ---------------------------------------------------------------------------
// Deadlines, resends and aborts

TEST(ReportProtocolTimeouts, DeadlineIsLongerForAnErase) {
    Rig rig;
    rig.Connect();
    rig.dev().onWrite = nullptr;
    ASSERT_TRUE(rig.que().SetDeleteComQue(3));
    ASSERT_TRUE(rig.que().AddQue(Step(0x11, 0x20000, 8)));
    ASSERT_TRUE(rig.hid().StartCom());
    EXPECT_EQ(rig.hid().CurrentDeadlineMs(), 5000);
    rig.Run();
    // Waits only; the zero-timeout reads drain stale input.
    std::vector<int> waits;
    for (int t : rig.dev().readTimeouts) {
        if (t > 0) waits.push_back(t);
    }
    ASSERT_FALSE(waits.empty());
    EXPECT_EQ(waits.front(), 5000);
    EXPECT_EQ(waits.back(), 500);
}

TEST(ReportProtocolTimeouts, UnansweredRequestIsSentTwiceMoreThenItsStepFails) {
    Rig rig;
    rig.Connect();
    int sends = 0;
    rig.dev().onWrite = [&sends](const Report& r, FakeDevice& d) {
        if (r[2] == 0x02) {
            ++sends;
            return;  // sector 2 never answers
        }
        d.Push(HealthyAnswer(r));
    };
    ASSERT_TRUE(rig.que().AddQue(Step(0x11, 0x20000, 8)));
    ASSERT_TRUE(rig.que().AddQue(Step(0x11, 0x30000, 8)));
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_EQ(sends, 3);
    EXPECT_EQ(r.dwTimeouts, 3u);
    EXPECT_EQ(r.dwResends, 2u);
    EXPECT_EQ(r.nStepsFailed, 1);
    EXPECT_EQ(r.nStepsDone, 1);
    EXPECT_FALSE(r.bAborted);
    EXPECT_TRUE(rig.dm->bDataUpdate());
    EXPECT_EQ(rig.hid().bHidStatus(), USBHidManager::HID_STATUS_ENDED);
}

TEST(ReportProtocolTimeouts, ThreeFailedStepsInARowAbortTheJob) {
    Rig rig;
    rig.Connect();
    rig.dev().onWrite = [](const Report& r, FakeDevice& d) { d.Push(Bytes({r[0], 1})); };  // every erase refused
    ASSERT_TRUE(rig.que().SetFormatComQue());
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_TRUE(r.bAborted);
    EXPECT_EQ(r.eReason, ComResult::AbortReason::TooManyFailures);
    EXPECT_EQ(r.nStepsFailed, 3);
    EXPECT_EQ(r.nStepsSkipped, 29);
    EXPECT_EQ(rig.dev().written.size(), 3u);
    EXPECT_FALSE(rig.que().HasQue());
    EXPECT_TRUE(rig.dm->bDataUpdate());
    EXPECT_EQ(rig.Count("USBHID : End communication."), 1u);
}

TEST(ReportProtocolTimeouts, ASuccessBetweenFailuresRestartsTheCount) {
    Rig rig;
    rig.Connect();
    rig.dev().onWrite = [](const Report& r, FakeDevice& d) { d.Push(Bytes({r[0], static_cast<uint8_t>(r[2] % 3 == 0 ? 0 : 1)})); };
    ASSERT_TRUE(rig.que().SetFormatComQue());
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_FALSE(r.bAborted);
    EXPECT_EQ(r.nStepsDone, 11);
    EXPECT_EQ(r.nStepsFailed, 21);
}

TEST(ReportProtocolTimeouts, LateAnswerIsDrainedBeforeTheResend) {
    Rig rig;
    rig.Connect();
    rig.dev().onWrite = nullptr;
    ASSERT_TRUE(rig.que().AddQue(Step(0x11, 0x20000, 124)));
    ASSERT_TRUE(rig.hid().StartCom());
    ASSERT_EQ(rig.dev().written.size(), 1u);
    // The answer to the first request comes after its deadline, with data
    // that must not end up anywhere.
    rig.dev().Push(Bytes({0x11, 62}, 0xEE));
    rig.dev().onWrite = [](const Report& r, FakeDevice& d) { d.Push(HealthyAnswer(r)); };
    rig.hid().AnswerTimedOut();
    EXPECT_TRUE(rig.dev().input.empty() || rig.dev().input.front().report[2] != 0xEE);
    const ComResult r = rig.Run();
    EXPECT_TRUE(r.Succeeded());
    ASSERT_EQ(rig.dev().written.size(), 3u);  // chunk 0 twice, chunk 1 once
    for (int i = 0; i < 124; ++i) ASSERT_EQ(rig.dm->SectorBuffer(2)[i], PatternAt(0x20000 + i)) << i;
}

TEST(ReportProtocolTimeouts, DuplicateAnswerOfAResentRequestIsNotTakenForTheNextChunk) {
    Rig rig;
    rig.Connect();
    int sends = 0;
    rig.dev().onWrite = [&sends](const Report& r, FakeDevice& d) {
        ++sends;
        if (sends == 1) return;  // slow: answered only after the resend
        if (sends == 2) {
            d.Push(HealthyAnswer(r));
            Report dup = Bytes({0x11, 62}, 0xEE);  // the first send's answer, arriving late
            d.later.push_back({HidDevice::ReadStatus::Report, dup});
            return;
        }
        d.Push(HealthyAnswer(r));
    };
    ASSERT_TRUE(rig.que().AddQue(Step(0x11, 0x20000, 124)));
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_TRUE(r.Succeeded());
    for (int i = 0; i < 124; ++i) ASSERT_EQ(rig.dm->SectorBuffer(2)[i], PatternAt(0x20000 + i)) << i;
    EXPECT_TRUE(rig.Logged("USBHID : duplicate answer dropped"));
}

TEST(ReportProtocolTimeouts, StaleInputIsDrainedBeforeAJobStarts) {
    Rig rig;
    rig.Connect();
    rig.dev().Push(Bytes({0x11, 8}, 0xEE));
    ASSERT_TRUE(rig.que().AddQue(Step(0x11, 0x20000, 8)));
    ASSERT_TRUE(rig.hid().StartCom());
    EXPECT_TRUE(rig.Run().Succeeded());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rig.dm->SectorBuffer(2)[i], PatternAt(0x20000 + i));
}

// ---------------------------------------------------------------------------
// Removal

TEST(ReportProtocolRemoval, ReadErrorAbortsTheJobOnceWithoutResend) {
    Rig rig;
    rig.Connect();
    int sends = 0;
    rig.dev().onWrite = [&sends](const Report& r, FakeDevice& d) {
        if (++sends == 5) {
            d.PushGone();
            return;
        }
        d.Push(HealthyAnswer(r));
    };
    ASSERT_TRUE(rig.que().SetReadSectorComQue(6));
    ASSERT_TRUE(rig.que().SetReadSectorComQue(7));
    ASSERT_TRUE(rig.hid().StartCom());
    const ComResult r = rig.Run();
    EXPECT_EQ(sends, 5);
    EXPECT_TRUE(r.bAborted);
    EXPECT_EQ(r.eReason, ComResult::AbortReason::DeviceGone);
    EXPECT_EQ(r.nStepsSkipped, 2);
    EXPECT_FALSE(rig.hid().bConnected());
    EXPECT_TRUE(rig.hid().bUSBStatusUpdate());
    EXPECT_TRUE(rig.hid().CheckUSBDetectPorling());
    EXPECT_EQ(rig.hid().bHidStatus(), USBHidManager::HID_STATUS_ENDED);
    EXPECT_TRUE(rig.dm->bDataUpdate());
    EXPECT_FALSE(rig.dm->SectorReadFlag(6));
    EXPECT_EQ(rig.Count("USBHID : End communication."), 1u);
    EXPECT_TRUE(rig.Logged("USBHID : Device Removed!"));
    // Nothing more happens on a second report of the same loss.
    rig.dm->SetDataUpdate(false);
    rig.hid().DeviceGone();
    EXPECT_FALSE(rig.dm->bDataUpdate());
}

TEST(ReportProtocolRemoval, NextArrivalBootsAgain) {
    Rig rig;
    rig.Connect();
    rig.dev().onWrite = [](const Report&, FakeDevice& d) { d.PushGone(); };
    ASSERT_TRUE(rig.que().SetFormatComQue());
    ASSERT_TRUE(rig.hid().StartCom());
    rig.Run();
    ASSERT_FALSE(rig.hid().bConnected());

    rig.backend->device = std::make_shared<FakeDevice>();  // plugged in again
    rig.log.clear();
    rig.hid().PollDevices();
    EXPECT_TRUE(rig.hid().bConnected());
    const ComResult r = rig.Run();
    EXPECT_TRUE(r.Succeeded());
    EXPECT_EQ(r.nStepsDone, kBootSteps);
    EXPECT_EQ(rig.backend->device->written.size(), 240u);
    EXPECT_TRUE(rig.Logged("USBHID : Device Detected!"));
}

TEST(ReportProtocolRemoval, FailedWriteMeansTheDeviceIsGone) {
    Rig rig;
    rig.Connect();
    ASSERT_TRUE(rig.que().SetDeleteComQue(2));
    ASSERT_TRUE(rig.que().SetDeleteComQue(3));
    ASSERT_TRUE(rig.hid().StartCom());
    rig.dev().writeFails = true;
    const ComResult r = rig.Run();
    EXPECT_TRUE(r.bAborted);
    EXPECT_EQ(r.eReason, ComResult::AbortReason::DeviceGone);
    EXPECT_FALSE(rig.hid().bConnected());
    EXPECT_TRUE(rig.dm->bDataUpdate());
}

TEST(ReportProtocolRemoval, PollingNoticesRemovalAndArrival) {
    Rig rig;
    rig.Connect();
    const auto interfaces = rig.backend->interfaces;
    rig.backend->interfaces.clear();
    rig.hid().PollDevices();
    EXPECT_FALSE(rig.hid().bConnected());
    EXPECT_TRUE(rig.Logged("USBHID : Device Removed!"));
    rig.hid().PollDevices();  // still away
    EXPECT_FALSE(rig.hid().bConnected());
    rig.backend->interfaces = interfaces;
    rig.hid().PollDevices();
    EXPECT_TRUE(rig.hid().bConnected());
    EXPECT_TRUE(rig.hid().IsJobRunning());  // the boot job
}

TEST(ReportProtocolRemoval, ArrivalDuringAJobEndsItAndBoots) {
    Rig rig;
    rig.Connect();
    rig.dev().onWrite = nullptr;
    ASSERT_TRUE(rig.que().SetFormatComQue());
    ASSERT_TRUE(rig.hid().StartCom());
    rig.dev().onWrite = [](const Report& r, FakeDevice& d) { d.Push(HealthyAnswer(r)); };
    rig.hid().DeviceDetected();
    EXPECT_TRUE(rig.hid().LastResult().bAborted);
    EXPECT_EQ(rig.hid().LastResult().eReason, ComResult::AbortReason::Reset);
    const ComResult r = rig.Run();
    EXPECT_TRUE(r.Succeeded());
    EXPECT_EQ(r.nStepsDone, kBootSteps);
}

}  // namespace
}  // namespace kelvadeck
