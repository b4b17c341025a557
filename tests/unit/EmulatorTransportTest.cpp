#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "emulator/EmulatedKelvadeck.h"
#include "emulator/EmulatorBackend.h"
#include "emulator/EmulatorDevice.h"
#include "unit/EmulatorTestReports.h"

namespace kelvadeck {
namespace {

using emutest::ReadRequest;
using emutest::Request;

constexpr uint16_t VID = 0x22EA;
constexpr uint16_t PID = 0x004B;

TEST(EmulatorBackend, ListsTheKeyboardBeforeTheVendorInterface) {
    EmulatedKelvadeck device;
    EmulatorBackend backend(device);
    const auto found = backend.Enumerate(VID, PID);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].usagePage, 0x0001);
    EXPECT_EQ(found[0].usage, 0x0006);
    EXPECT_EQ(found[1].usagePage, 0xFF00);
    for (const auto& info : found) {
        EXPECT_EQ(info.vendorId, VID);
        EXPECT_EQ(info.productId, PID);
        EXPECT_FALSE(info.path.empty());
    }
    EXPECT_NE(found[0].path, found[1].path);
    EXPECT_NE(found[0].interfaceNumber, found[1].interfaceNumber);
}

TEST(EmulatorBackend, InterfacesComeInTheConfiguredOrder) {
    EmulatorKnobs knobs;
    knobs.interfaces = {{0x0001, 0x0002, 0}, {0x000C, 0x0001, 1}, {0x0001, 0x0005, 2}, {0xFF00, 0x0001, 3}};
    EmulatedKelvadeck device(knobs);
    EmulatorBackend backend(device);
    const auto found = backend.Enumerate(VID, PID);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[1].usagePage, 0x000C);
    EXPECT_EQ(found[3].usagePage, 0xFF00);
    EXPECT_EQ(found[3].interfaceNumber, 3);

    knobs.interfaces = {{0x0001, 0x0006, 0}};  // a device without the vendor interface
    device.SetKnobs(knobs);
    EXPECT_EQ(backend.Enumerate(VID, PID).size(), 1u);
}

TEST(EmulatorBackend, MatchesIdsLikeHidapi) {
    EmulatedKelvadeck device;
    EmulatorBackend backend(device);
    EXPECT_TRUE(backend.Enumerate(VID, 0x004C).empty());
    EXPECT_TRUE(backend.Enumerate(0x1234, PID).empty());
    EXPECT_EQ(backend.Enumerate(0, 0).size(), 2u);  // 0 matches any
    EXPECT_EQ(backend.Enumerate(VID, 0).size(), 2u);
}

TEST(EmulatorBackend, UnpluggedDeviceIsNotListed) {
    EmulatedKelvadeck device;
    EmulatorBackend backend(device);
    device.Unplug();
    EXPECT_TRUE(backend.Enumerate(VID, PID).empty());
    EXPECT_EQ(backend.Open(EmulatorBackend::PathOf(1)), nullptr);
    EXPECT_NE(backend.LastError().find("unplugged"), std::string::npos);
    device.Plug();
    EXPECT_EQ(backend.Enumerate(VID, PID).size(), 2u);
}

TEST(EmulatorBackend, OpenRefusesUnknownPaths) {
    EmulatedKelvadeck device;
    EmulatorBackend backend(device);
    for (const std::string path : {"", "/dev/hidraw0", "emulator:kelvadeck:", "emulator:kelvadeck:2",
                                   "emulator:kelvadeck:1x", "emulator:kelvadeck:-1",
                                   "emulator:kelvadeck:99999999999999999999999"}) {
        EXPECT_EQ(backend.Open(path), nullptr) << path;
        EXPECT_FALSE(backend.LastError().empty()) << path;
    }
    EXPECT_NE(backend.Open(EmulatorBackend::PathOf(1)), nullptr);
    EXPECT_TRUE(backend.LastError().empty());
}

TEST(EmulatorDevice, OnlyTheVendorInterfaceAnswers) {
    EmulatedKelvadeck device;
    EmulatorBackend backend(device);
    const auto found = backend.Enumerate(VID, PID);
    auto keyboard = backend.Open(found[0].path);
    ASSERT_NE(keyboard, nullptr);
    EXPECT_TRUE(keyboard->Write(Request(0x56)));
    EXPECT_EQ(keyboard->Read(0).status, HidDevice::ReadStatus::Timeout);
    EXPECT_EQ(device.Counters().exchanges, 0u);
    EXPECT_EQ(device.Counters().ignoredWrites, 1u);

    auto vendor = backend.Open(found[1].path);
    ASSERT_NE(vendor, nullptr);
    EXPECT_TRUE(vendor->Write(Request(0x56)));
    const auto answer = vendor->Read(0);
    ASSERT_EQ(answer.status, HidDevice::ReadStatus::Report);
    EXPECT_EQ(answer.report[0], 0x56);
}

TEST(EmulatorDevice, ReadWithoutAnAnswerReturnsAtOnce) {
    EmulatedKelvadeck device;
    EmulatorBackend backend(device);
    auto handle = backend.Open(EmulatorBackend::PathOf(1));
    ASSERT_NE(handle, nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(handle->Read(60000).status, HidDevice::ReadStatus::Timeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(EmulatorDevice, AnswersArriveInRequestOrder) {
    EmulatedKelvadeck device;
    for (uint32_t i = 0; i < 3; ++i) {
        const std::vector<uint8_t> byte = {static_cast<uint8_t>(i)};
        ASSERT_TRUE(device.Flash().Overwrite(i, byte));
    }
    EmulatorBackend backend(device);
    auto handle = backend.Open(EmulatorBackend::PathOf(1));
    ASSERT_NE(handle, nullptr);
    for (uint32_t i = 0; i < 3; ++i) ASSERT_TRUE(handle->Write(ReadRequest(i, 1)));
    for (uint8_t i = 0; i < 3; ++i) {
        const auto answer = handle->Read(0);
        ASSERT_EQ(answer.status, HidDevice::ReadStatus::Report);
        EXPECT_EQ(answer.report[2], i);
    }
    EXPECT_EQ(handle->Read(0).status, HidDevice::ReadStatus::Timeout);
}

TEST(EmulatorDevice, UnreadAnswersAreBoundedOldestFirstOut) {
    EmulatedKelvadeck device;
    std::vector<uint8_t> counting(100);
    for (size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(device.Flash().Overwrite(0, counting));
    EmulatorDevice handle(device, device.Connection().value(), true);
    for (uint32_t i = 0; i < 70; ++i) ASSERT_TRUE(handle.Write(ReadRequest(i, 1)));
    EXPECT_EQ(handle.PendingAnswers(), EmulatorDevice::PENDING_LIMIT);
    EXPECT_EQ(handle.Read(0).report[2], 70 - EmulatorDevice::PENDING_LIMIT);
}

TEST(EmulatorDevice, WaitingReadsGetAnAnswerWrittenByAnotherThread) {
    EmulatorKnobs knobs;
    knobs.readsWaitForAnswer = true;
    EmulatedKelvadeck device(knobs);
    EmulatorBackend backend(device);
    auto handle = backend.Open(EmulatorBackend::PathOf(1));
    ASSERT_NE(handle, nullptr);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(handle->Write(Request(0x56)));
    });
    const auto answer = handle->Read(10000);
    writer.join();
    ASSERT_EQ(answer.status, HidDevice::ReadStatus::Report);
    EXPECT_EQ(answer.report[0], 0x56);
}

TEST(EmulatorDevice, WaitingReadsStillTimeOut) {
    EmulatorKnobs knobs;
    knobs.readsWaitForAnswer = true;
    EmulatedKelvadeck device(knobs);
    EmulatorBackend backend(device);
    auto handle = backend.Open(EmulatorBackend::PathOf(1));
    ASSERT_NE(handle, nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(handle->Read(30).status, HidDevice::ReadStatus::Timeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));
}

TEST(EmulatorDevice, ImageFileCarriesFlashBetweenRuns) {
    const std::string path = (std::filesystem::temp_directory_path() / "kelvadeck-emu-transport.mbf").string();
    std::filesystem::remove(path);
    std::string error;
    {
        EmulatedKelvadeck device;
        ASSERT_TRUE(device.LoadImage(path, error)) << error;  // no file yet: erased
        EmulatorBackend backend(device);
        auto handle = backend.Open(EmulatorBackend::PathOf(1));
        ASSERT_NE(handle, nullptr);
        ASSERT_TRUE(handle->Write(emutest::WriteRequest(0x0B00, {0x09, 0x00, 0x04})));
        ASSERT_TRUE(device.SaveImage(path, error)) << error;
    }
    EmulatedKelvadeck device;
    ASSERT_TRUE(device.LoadImage(path, error)) << error;
    EXPECT_EQ(device.Flash().Bytes()[0x0B00], 0x09);
    EXPECT_EQ(device.Flash().Bytes()[0x0B02], 0x04);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace kelvadeck
