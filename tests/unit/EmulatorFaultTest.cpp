#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "emulator/EmulatedKelvadeck.h"
#include "emulator/EmulatorBackend.h"
#include "unit/EmulatorTestReports.h"

namespace kelvadeck {
namespace {

using emutest::EraseRequest;
using emutest::PayloadRequest;
using emutest::ReadRequest;
using emutest::Report;
using emutest::Request;
using emutest::WriteRequest;

// The host's view: a backend, the vendor interface opened, write then read.
class EmulatorFault : public ::testing::Test {
protected:
    void Start(const EmulatorKnobs& knobs) {
        device = std::make_unique<EmulatedKelvadeck>(knobs);
        backend = std::make_unique<EmulatorBackend>(*device);
        handle = backend->Open(EmulatorBackend::PathOf(1));
        ASSERT_NE(handle, nullptr);
    }
    HidDevice::ReadResult Send(const Report& request) {
        EXPECT_TRUE(handle->Write(request));
        return handle->Read(0);
    }
    uint8_t FlashAt(uint32_t address) const { return device->Flash().Bytes()[address]; }

    std::unique_ptr<EmulatedKelvadeck> device;
    std::unique_ptr<EmulatorBackend> backend;
    std::unique_ptr<HidDevice> handle;
};

TEST_F(EmulatorFault, DropsTheAnswerOfTheChosenExchangeButCarriesItOut) {
    EmulatorKnobs knobs;
    knobs.dropAnswerOfExchanges = {2};
    Start(knobs);
    EXPECT_EQ(Send(Request(0x56)).status, HidDevice::ReadStatus::Report);
    EXPECT_EQ(Send(WriteRequest(0x40, {0x00})).status, HidDevice::ReadStatus::Timeout);
    EXPECT_EQ(FlashAt(0x40), 0x00);
    // The host sends it again: programming the same data twice changes nothing.
    const auto again = Send(WriteRequest(0x40, {0x00}));
    ASSERT_EQ(again.status, HidDevice::ReadStatus::Report);
    EXPECT_EQ(again.report[1], 0);
    EXPECT_EQ(device->Counters().answersDropped, 1u);
}

TEST_F(EmulatorFault, DropsEveryAnswerOfAChosenCommand) {
    EmulatorKnobs knobs;
    knobs.dropAnswersForCommands = {0x13};
    Start(knobs);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Send(EraseRequest(0)).status, HidDevice::ReadStatus::Timeout);
    EXPECT_EQ(Send(ReadRequest(0, 4)).status, HidDevice::ReadStatus::Report);
    EXPECT_EQ(device->Counters().answersDropped, 3u);
    EXPECT_EQ(device->Counters().sectorsErased, 3u);
}

TEST_F(EmulatorFault, ErrorStatusForAChosenCommandLeavesFlashAlone) {
    EmulatorKnobs knobs;
    knobs.errorForCommands = {0x12, 0x36};
    Start(knobs);
    const auto write = Send(WriteRequest(0x40, {0x00}));
    EXPECT_EQ(write.report[0], 0x12);
    EXPECT_EQ(write.report[1], 1);
    EXPECT_EQ(FlashAt(0x40), 0xFF);
    EXPECT_EQ(Send(PayloadRequest(0x36, {0})).report[1], 1);
    EXPECT_EQ(device->LiveState().PayloadsFor(0x36).at(0).status, 1);
    EXPECT_EQ(Send(EraseRequest(0)).report[1], 0);  // other commands work
    EXPECT_EQ(Send(PayloadRequest(0x34, {0})).report[1], 0);
    EXPECT_EQ(device->Counters().errorAnswers, 2u);
}

TEST_F(EmulatorFault, ErrorStatusForChosenAddresses) {
    EmulatorKnobs knobs;
    knobs.errorForAddresses = {{0x20100, 0x201FF}};
    knobs.errorStatus = 7;
    Start(knobs);
    std::vector<uint8_t> zeros(8, 0x00);
    EXPECT_EQ(Send(WriteRequest(0x200F8, zeros)).report[1], 0);   // ends just before the range
    EXPECT_EQ(Send(WriteRequest(0x200FC, zeros)).report[1], 7);   // runs into it
    EXPECT_EQ(Send(WriteRequest(0x201FF, {0x00})).report[1], 7);  // last byte of it
    EXPECT_EQ(Send(WriteRequest(0x20200, {0x00})).report[1], 0);
    EXPECT_EQ(FlashAt(0x200FC), 0x00);  // from the first write only
    EXPECT_EQ(FlashAt(0x20100), 0xFF);
    EXPECT_EQ(FlashAt(0x201FF), 0xFF);
    EXPECT_EQ(Send(EraseRequest(0x20000)).report[1], 7);  // the sector holds bad bytes
    EXPECT_EQ(FlashAt(0x200FC), 0x00);
    EXPECT_EQ(Send(EraseRequest(0x30000)).report[1], 0);
    // A read cannot carry a status: it brings no data.
    EXPECT_EQ(Send(ReadRequest(0x200F0, 62)).report[1], 0);
    EXPECT_EQ(Send(ReadRequest(0x200C2, 62)).report[1], 62);  // 0x200C2 + 62 = 0x20100
}

TEST_F(EmulatorFault, ErrorForReadAndVersionCommands) {
    EmulatorKnobs knobs;
    knobs.errorForCommands = {0x11, 0x56};
    Start(knobs);
    EXPECT_EQ(Send(ReadRequest(0, 8)).report[1], 0);
    const auto version = Send(Request(0x56));
    EXPECT_EQ(version.report[0], 0x56);
    EXPECT_EQ(version.report[1], 0);  // empty text
}

TEST_F(EmulatorFault, BusyAnswersComeFirstAndTheRequestWaits) {
    EmulatorKnobs knobs;
    knobs.busyAnswersBeforeReal = 2;
    knobs.busyCode = 0x33;
    Start(knobs);
    for (int request = 0; request < 2; ++request) {
        const uint32_t address = 0x100 + request;
        for (int busy = 0; busy < 2; ++busy) {
            const auto answer = Send(WriteRequest(address, {0x00}));
            EXPECT_EQ(answer.report[0], 0x33);
            EXPECT_EQ(FlashAt(address), 0xFF) << "carried out while busy";
        }
        const auto answer = Send(WriteRequest(address, {0x00}));
        EXPECT_EQ(answer.report[0], 0x12);
        EXPECT_EQ(answer.report[1], 0);
        EXPECT_EQ(FlashAt(address), 0x00);
    }
    EXPECT_EQ(device->Counters().busyAnswers, 4u);
    EXPECT_EQ(device->Counters().ExchangesFor(0x12), 6u);
}

TEST_F(EmulatorFault, BusyOnlyForChosenCommands) {
    EmulatorKnobs knobs;
    knobs.busyAnswersBeforeReal = 1;
    knobs.busyForCommands = {0x13};
    Start(knobs);
    EXPECT_EQ(Send(ReadRequest(0, 1)).report[0], 0x11);
    EXPECT_EQ(Send(EraseRequest(0)).report[0], 0x31);
    EXPECT_EQ(Send(ReadRequest(0, 1)).report[0], 0x11);  // a read in between does not end the spell
    EXPECT_EQ(Send(EraseRequest(0)).report[0], 0x13);
    EXPECT_EQ(Send(EraseRequest(0)).report[0], 0x31);
}

TEST_F(EmulatorFault, UnplugsAfterTheChosenNumberOfExchanges) {
    EmulatorKnobs knobs;
    knobs.unplugAfterExchanges = 3;
    Start(knobs);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Send(ReadRequest(0, 1)).status, HidDevice::ReadStatus::Report);
    EXPECT_FALSE(handle->Write(ReadRequest(0, 1)));
    EXPECT_EQ(handle->Read(0).status, HidDevice::ReadStatus::Gone);
    EXPECT_TRUE(backend->Enumerate(0x22EA, 0x004B).empty());
    EXPECT_EQ(backend->Open(EmulatorBackend::PathOf(1)), nullptr);
    EXPECT_FALSE(backend->LastError().empty());
    EXPECT_EQ(device->Counters().exchanges, 3u);

    // Plugged in again: the old handle stays dead, a new one works, and the
    // unplug does not happen a second time.
    device->Plug();
    EXPECT_EQ(backend->Enumerate(0x22EA, 0x004B).size(), 2u);
    EXPECT_FALSE(handle->Write(ReadRequest(0, 1)));
    EXPECT_EQ(handle->Read(0).status, HidDevice::ReadStatus::Gone);
    handle = backend->Open(EmulatorBackend::PathOf(1));
    ASSERT_NE(handle, nullptr);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Send(ReadRequest(0, 1)).status, HidDevice::ReadStatus::Report);
}

TEST_F(EmulatorFault, UnplugHidesPendingAnswers) {
    Start(EmulatorKnobs{});
    ASSERT_TRUE(handle->Write(Request(0x56)));
    device->Unplug();
    EXPECT_EQ(handle->Read(0).status, HidDevice::ReadStatus::Gone);
}

TEST_F(EmulatorFault, KnobsCanBeChangedWhileConnected) {
    Start(EmulatorKnobs{});
    EXPECT_EQ(Send(WriteRequest(0, {0x00})).report[1], 0);
    EmulatorKnobs knobs = device->Knobs();
    knobs.errorForCommands = {0x12};
    device->SetKnobs(knobs);
    EXPECT_EQ(Send(WriteRequest(1, {0x00})).report[1], 1);
}

TEST(EmulatorCounters, CountExchangesBytesAndSimulatedTime) {
    EmulatorKnobs knobs;
    knobs.exchangeMicros = 1000;
    knobs.sectorEraseMicros = 100000;
    knobs.pageProgramMicros = 500;
    knobs.dropAnswerOfExchanges = {5};
    EmulatedKelvadeck device(knobs);
    EmulatorBackend backend(device);
    auto handle = backend.Open(EmulatorBackend::PathOf(1));
    ASSERT_NE(handle, nullptr);
    const std::vector<uint8_t> data(58, 0x00);
    for (const Report& request : {EraseRequest(0x10000), WriteRequest(0x10000, data), WriteRequest(0x1003A, data),
                                  ReadRequest(0x10000, 62), Request(0x56)}) {
        ASSERT_TRUE(handle->Write(request));
    }
    const EmulatorCounters counters = device.Counters();
    EXPECT_EQ(counters.exchanges, 5u);
    EXPECT_EQ(counters.ExchangesFor(0x13), 1u);
    EXPECT_EQ(counters.ExchangesFor(0x12), 2u);
    EXPECT_EQ(counters.ExchangesFor(0x11), 1u);
    EXPECT_EQ(counters.ExchangesFor(0x56), 1u);
    EXPECT_EQ(counters.ExchangesFor(0x34), 0u);
    EXPECT_EQ(counters.bytesIn, 5u * 64);
    EXPECT_EQ(counters.bytesOut, 4u * 64);  // the version answer was lost
    EXPECT_EQ(counters.sectorsErased, 1u);
    EXPECT_EQ(counters.pagesProgrammed, 2u);
    EXPECT_EQ(counters.flashBytesProgrammed, 116u);
    EXPECT_EQ(counters.flashBytesRead, 62u);
    EXPECT_EQ(counters.simulatedMicros, 5u * 1000 + 100000 + 2 * 500);
    EXPECT_DOUBLE_EQ(counters.SimulatedMilliseconds(), 106.0);
}

TEST(EmulatorCounters, RefusedAndBusyRequestsCostOnlyTheExchange) {
    EmulatorKnobs knobs;
    knobs.exchangeMicros = 10;
    knobs.errorForCommands = {0x13};
    knobs.busyAnswersBeforeReal = 1;
    knobs.busyForCommands = {0x12};
    EmulatedKelvadeck device(knobs);
    const uint64_t connection = device.Connection().value();
    static_cast<void>(device.Exchange(connection, EraseRequest(0)));
    static_cast<void>(device.Exchange(connection, WriteRequest(0, {0x00})));
    const EmulatorCounters counters = device.Counters();
    EXPECT_EQ(counters.simulatedMicros, 20u);
    EXPECT_EQ(counters.sectorsErased, 0u);
    EXPECT_EQ(counters.pagesProgrammed, 0u);
    EXPECT_EQ(counters.errorAnswers, 1u);
    EXPECT_EQ(counters.busyAnswers, 1u);
}

TEST(EmulatorCounters, ResetKeepsTheExchangeNumbering) {
    EmulatorKnobs knobs;
    knobs.dropAnswerOfExchanges = {3};
    EmulatedKelvadeck device(knobs);
    const uint64_t connection = device.Connection().value();
    EXPECT_TRUE(device.Exchange(connection, Request(0x56)).answer.has_value());
    EXPECT_TRUE(device.Exchange(connection, Request(0x56)).answer.has_value());
    device.ResetCounters();
    EXPECT_EQ(device.Counters().exchanges, 0u);
    EXPECT_EQ(device.ExchangeNumber(), 2u);
    EXPECT_FALSE(device.Exchange(connection, Request(0x56)).answer.has_value());
    EXPECT_EQ(device.Counters().exchanges, 1u);
}

TEST(EmulatorCounters, FullRestoreAndBackupThroughReportsReproduceTheImage) {
    // The whole flash written the way a restore does (erase every sector, then
    // chunks of at most 58 bytes that never cross a 256-byte page) and read
    // back in 62-byte chunks must give the image again.
    std::vector<uint8_t> image(EmulatedFlash::SIZE);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>((i * 31) ^ (i >> 8) ^ (i >> 16));
    EmulatedKelvadeck device;
    const uint64_t connection = device.Connection().value();
    for (uint32_t sector = 0; sector < 32; ++sector) {
        ASSERT_EQ(device.Exchange(connection, EraseRequest(sector * 0x10000)).answer.value()[1], 0);
    }
    uint32_t address = 0;
    uint64_t writes = 0;
    while (address < image.size()) {
        uint32_t size = 58;
        if (256 - address % 256 < size) size = 256 - address % 256;
        const std::vector<uint8_t> chunk(image.begin() + address, image.begin() + address + size);
        ASSERT_EQ(device.Exchange(connection, emutest::WriteRequest(address, chunk)).answer.value()[1], 0);
        address += size;
        ++writes;
    }
    EXPECT_EQ(writes, 40960u);
    std::vector<uint8_t> backup;
    uint64_t reads = 0;
    while (backup.size() < image.size()) {
        const uint32_t wanted = static_cast<uint32_t>(std::min<size_t>(62, image.size() - backup.size()));
        const Report answer =
            device.Exchange(connection, ReadRequest(static_cast<uint32_t>(backup.size()), wanted)).answer.value();
        ASSERT_EQ(answer[1], wanted);
        backup.insert(backup.end(), answer.begin() + 2, answer.begin() + 2 + wanted);
        ++reads;
    }
    EXPECT_EQ(reads, 33826u);
    EXPECT_EQ(backup, image);
    EXPECT_EQ(device.Counters().pagesProgrammed, 40960u);
}

}  // namespace
}  // namespace kelvadeck
