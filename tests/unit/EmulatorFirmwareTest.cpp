#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "emulator/EmulatedKelvadeck.h"
#include "unit/EmulatorTestReports.h"

namespace kelvadeck {
namespace {

using emutest::EraseRequest;
using emutest::PayloadRequest;
using emutest::ReadRequest;
using emutest::Report;
using emutest::Request;
using emutest::WriteRequest;

Report Answer(EmulatedKelvadeck& device, const Report& request) {
    const EmulatedKelvadeck::ExchangeResult result = device.Exchange(device.Connection().value(), request);
    EXPECT_TRUE(result.delivered);
    EXPECT_TRUE(result.answer.has_value());
    return result.answer.value_or(Report{});
}

std::vector<uint8_t> Bytes(const EmulatedKelvadeck& device, uint32_t address, size_t count) {
    const auto all = device.Flash().Bytes();
    return {all.begin() + address, all.begin() + address + count};
}

TEST(EmulatorFirmware, ReadAnswersLengthThenData) {
    EmulatedKelvadeck device;
    const std::vector<uint8_t> stored = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    ASSERT_TRUE(device.Flash().Overwrite(0x10010, stored));
    const Report answer = Answer(device, ReadRequest(0x10010, 8));
    EXPECT_EQ(answer[0], 0x11);
    EXPECT_EQ(answer[1], 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(answer[2 + i], i + 1);
    // Nothing beyond the requested bytes: the ninth stored byte is not sent.
    for (size_t i = 10; i < answer.size(); ++i) EXPECT_EQ(answer[i], 0x00) << i;
}

TEST(EmulatorFirmware, ReadOfMoreThan62BytesGets62) {
    EmulatedKelvadeck device;
    for (uint8_t wanted : {uint8_t{63}, uint8_t{64}, uint8_t{0xFF}}) {
        const Report answer = Answer(device, ReadRequest(0, wanted));
        EXPECT_EQ(answer[1], 62);
        EXPECT_EQ(answer[63], 0xFF);  // last data byte: erased flash
    }
}

TEST(EmulatorFirmware, ReadAtTheEndOfTheFlashReturnsWhatExists) {
    EmulatedKelvadeck device;
    EXPECT_EQ(Answer(device, ReadRequest(0x1FFFFB, 62))[1], 5);
    EXPECT_EQ(Answer(device, ReadRequest(0x200000, 8))[1], 0);
    EXPECT_EQ(Answer(device, ReadRequest(0xFFFFFFFF, 62))[1], 0);
}

TEST(EmulatorFirmware, WriteProgramsWithAndAndAnswersZero) {
    EmulatedKelvadeck device;
    const std::vector<uint8_t> stored = {0xF0, 0xF0, 0xF0};
    ASSERT_TRUE(device.Flash().Overwrite(0x0B00, stored));
    const Report answer = Answer(device, WriteRequest(0x0B00, {0x3C, 0xFF, 0x00}));
    EXPECT_EQ(answer[0], 0x12);
    EXPECT_EQ(answer[1], 0);
    EXPECT_EQ(Bytes(device, 0x0B00, 4), (std::vector<uint8_t>{0x30, 0xF0, 0x00, 0xFF}));
}

TEST(EmulatorFirmware, WriteOf58BytesUsesTheWholeReport) {
    EmulatedKelvadeck device;
    std::vector<uint8_t> data(58);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(Answer(device, WriteRequest(0x20000, data))[1], 0);
    EXPECT_EQ(Bytes(device, 0x20000, 58), data);
    EXPECT_EQ(Bytes(device, 0x2003A, 1), std::vector<uint8_t>{0xFF});
}

TEST(EmulatorFirmware, WriteWithBadLengthOrAddressIsRefused) {
    EmulatedKelvadeck device;
    Report tooLong = WriteRequest(0, {0x00});
    tooLong[5] = 59;
    Report empty = WriteRequest(0, {0x00});
    empty[5] = 0;
    for (const Report& request : {tooLong, empty, WriteRequest(0x200000, {0x00})}) {
        const Report answer = Answer(device, request);
        EXPECT_EQ(answer[0], 0x12);
        EXPECT_NE(answer[1], 0);
    }
    EXPECT_EQ(Bytes(device, 0, 1), std::vector<uint8_t>{0xFF});
}

TEST(EmulatorFirmware, WriteAcrossAPageEndWrapsLikeTheChip) {
    // The host must split writes at 256-byte page ends; one that does not
    // corrupts the start of the page, which is what a test should notice.
    EmulatedKelvadeck device;
    EXPECT_EQ(Answer(device, WriteRequest(0x00FE, {0xA1, 0xA2, 0xA3}))[1], 0);
    EXPECT_EQ(Bytes(device, 0x00FE, 2), (std::vector<uint8_t>{0xA1, 0xA2}));
    EXPECT_EQ(Bytes(device, 0x0000, 1), std::vector<uint8_t>{0xA3});
    EXPECT_EQ(Bytes(device, 0x0100, 1), std::vector<uint8_t>{0xFF});
}

TEST(EmulatorFirmware, EraseClearsTheAddressedSector) {
    EmulatedKelvadeck device;
    std::vector<uint8_t> zeros(EmulatedFlash::SIZE, 0x00);
    ASSERT_TRUE(device.Flash().Overwrite(0, zeros));
    const Report answer = Answer(device, EraseRequest(0x1F0000));
    EXPECT_EQ(answer[0], 0x13);
    EXPECT_EQ(answer[1], 0);
    EXPECT_EQ(Bytes(device, 0x1F0000, 1), std::vector<uint8_t>{0xFF});
    EXPECT_EQ(Bytes(device, 0x1FFFFF, 1), std::vector<uint8_t>{0xFF});
    EXPECT_EQ(Bytes(device, 0x1EFFFF, 1), std::vector<uint8_t>{0x00});
    // An address inside a sector erases that sector.
    EXPECT_EQ(Answer(device, EraseRequest(0x10123))[1], 0);
    EXPECT_EQ(Bytes(device, 0x10000, 1), std::vector<uint8_t>{0xFF});
    EXPECT_EQ(Bytes(device, 0x20000, 1), std::vector<uint8_t>{0x00});
}

TEST(EmulatorFirmware, EraseBeyondTheFlashIsRefused) {
    EmulatedKelvadeck device;
    EXPECT_NE(Answer(device, EraseRequest(0x200000))[1], 0);
    EXPECT_EQ(device.Counters().sectorsErased, 0u);
}

TEST(EmulatorFirmware, VersionIsZeroTerminatedText) {
    EmulatedKelvadeck device;
    const Report answer = Answer(device, Request(0x56));
    EXPECT_EQ(answer[0], 0x56);
    EXPECT_EQ(std::string(answer.begin() + 1, answer.begin() + 5), "1.02");
    EXPECT_EQ(answer[5], 0);
}

TEST(EmulatorFirmware, VersionIsConfigurableAndCutAt63Characters) {
    EmulatorKnobs knobs;
    knobs.firmwareVersion = std::string(70, 'v');
    EmulatedKelvadeck device(knobs);
    const Report answer = Answer(device, Request(0x56));
    EXPECT_EQ(std::string(answer.begin() + 1, answer.end()), std::string(63, 'v'));

    knobs.firmwareVersion = "2.10b";
    device.SetKnobs(knobs);
    const Report shorter = Answer(device, Request(0x56));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&shorter[1])), "2.10b");
}

struct PayloadCase {
    uint8_t command;
    size_t size;
};

TEST(EmulatorFirmware, EveryLiveUpdateIsAcceptedAndLoggedWithItsPayloadSize) {
    const PayloadCase cases[] = {{0x34, 6}, {0x36, 30}, {0x38, 24}, {0x3A, 35}, {0x3C, 10}, {0x64, 7}};
    EmulatedKelvadeck device;
    for (const PayloadCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.command));
        Report request = Request(c.command);
        for (size_t i = 1; i < request.size(); ++i) request[i] = static_cast<uint8_t>(i);
        request[1] = c.command == 0x64 ? 3 : 0;  // channel count / mode
        request[2] = 0;                          // function, switch or low time byte
        const Report answer = Answer(device, request);
        EXPECT_EQ(answer[0], c.command);
        EXPECT_EQ(answer[1], 0);
        const auto logged = device.LiveState().PayloadsFor(c.command);
        ASSERT_EQ(logged.size(), 1u);
        EXPECT_EQ(logged[0].status, 0);
        ASSERT_EQ(logged[0].payload.size(), c.size);
        EXPECT_TRUE(std::equal(logged[0].payload.begin(), logged[0].payload.end(), request.begin() + 1));
    }
    EXPECT_EQ(device.LiveState().Payloads().size(), std::size(cases));
}

TEST(EmulatorFirmware, LedPreviewBecomesTheCurrentColour) {
    EmulatedKelvadeck device;
    EXPECT_FALSE(device.LiveState().CurrentLedPreview().has_value());
    Answer(device, PayloadRequest(0x64, {0x03, 0x20, 0x4E, 0x01, 0x64, 0x00, 0x32}));
    const auto preview = device.LiveState().CurrentLedPreview();
    ASSERT_TRUE(preview.has_value());
    EXPECT_EQ(preview->channels, 3);
    EXPECT_EQ(preview->timeMs, 20000);
    EXPECT_EQ(preview->brightness, 1);
    EXPECT_EQ(preview->red, 100);
    EXPECT_EQ(preview->green, 0);
    EXPECT_EQ(preview->blue, 50);
    Answer(device, PayloadRequest(0x64, {0x03, 0x20, 0x4E, 0x02, 0x00, 0x64, 0x00}));
    EXPECT_EQ(device.LiveState().CurrentLedPreview()->green, 100);
    EXPECT_EQ(device.LiveState().LedPreviews().size(), 2u);
}

TEST(EmulatorFirmware, LiveUpdateForAnIndexThatDoesNotExistIsRefused) {
    EmulatedKelvadeck device;
    const Report refused[] = {
        PayloadRequest(0x36, {3}),        // mode 3
        PayloadRequest(0x38, {0, 4}),     // dial function 4
        PayloadRequest(0x3A, {3}),        // dial macro 3
        PayloadRequest(0x3C, {2, 11}),    // switch 11
        PayloadRequest(0x64, {4, 0x20}),  // four colour channels
    };
    for (const Report& request : refused) {
        SCOPED_TRACE(static_cast<int>(request[0]));
        const Report answer = Answer(device, request);
        EXPECT_EQ(answer[0], request[0]);
        EXPECT_NE(answer[1], 0);
    }
    for (const auto& logged : device.LiveState().Payloads()) EXPECT_NE(logged.status, 0);
    EXPECT_FALSE(device.LiveState().CurrentLedPreview().has_value());
    // The last valid index of each is accepted.
    EXPECT_EQ(Answer(device, PayloadRequest(0x38, {2, 3}))[1], 0);
    EXPECT_EQ(Answer(device, PayloadRequest(0x3C, {2, 10}))[1], 0);
}

TEST(EmulatorFirmware, UnknownCommandsGetARepeatCode) {
    EmulatorKnobs knobs;
    EmulatedKelvadeck device(knobs);
    EXPECT_EQ(Answer(device, Request(0x20))[0], 0x31);
    knobs.unknownCommandAnswer = 0x61;
    device.SetKnobs(knobs);
    EXPECT_EQ(Answer(device, Request(0xFF))[0], 0x61);
    EXPECT_TRUE(device.LiveState().Payloads().empty());
}

TEST(EmulatorFirmware, EveryCommandCodeGetsAnAnswerThatEchoesOrRepeats) {
    const std::vector<uint8_t> known = {0x11, 0x12, 0x13, 0x34, 0x36, 0x38, 0x3A, 0x3C, 0x56, 0x64};
    EmulatedKelvadeck device;
    for (int code = 0; code < 256; ++code) {
        Report request;
        request.fill(static_cast<uint8_t>(code));  // worst case: every field at its limit
        const Report answer = Answer(device, request);
        const bool isKnown = std::find(known.begin(), known.end(), code) != known.end();
        EXPECT_EQ(answer[0], isKnown ? code : 0x31) << code;
    }
}

}  // namespace
}  // namespace kelvadeck
