#include <gtest/gtest.h>

#include <string>

#include "emulator/EmulatorFaultList.h"

namespace kelvadeck {
namespace {

TEST(EmulatorFaultList, EachItemSetsItsKnob) {
    EmulatorKnobs k;
    std::string error;
    ASSERT_TRUE(EmulatorFaultList::Apply("busy=20,busy-code=0x61,refuse=0x36,refuse=54,refuse-at=0x20000-0x2FFFF,drop=7,unplug=100", k,
                                         error))
        << error;
    EXPECT_EQ(k.busyAnswersBeforeReal, 20u);
    EXPECT_EQ(k.busyCode, 0x61);
    EXPECT_EQ(k.errorForCommands, (std::set<uint8_t>{0x36}));
    ASSERT_EQ(k.errorForAddresses.size(), 1u);
    EXPECT_EQ(k.errorForAddresses[0].first, 0x20000u);
    EXPECT_EQ(k.errorForAddresses[0].last, 0x2FFFFu);
    // Writes and erases only: the range can still be read back.
    EXPECT_EQ(k.errorForAddressesCommands, (std::set<uint8_t>{0x12, 0x13}));
    EXPECT_EQ(k.dropAnswerOfExchanges, (std::set<uint64_t>{7}));
    EXPECT_EQ(k.unplugAfterExchanges, std::optional<uint64_t>(100));
}

TEST(EmulatorFaultList, ABadItemIsNamedAndChangesNothing) {
    for (const char* list : {"", "busy", "busy=", "busy=-1", "busy=1x", "busy-code=0x100", "refuse=0xZZ",
                                   "refuse-at=0x10", "refuse-at=0x20-0x10", "drop=0", "nap=3", "busy=1,,drop=2", "busy=1,"}) {
        SCOPED_TRACE(list);
        EmulatorKnobs k;
        k.busyAnswersBeforeReal = 9;
        std::string error;
        EXPECT_FALSE(EmulatorFaultList::Apply(list, k, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(k.busyAnswersBeforeReal, 9u);
    }
    std::string error;
    EmulatorKnobs k;
    EXPECT_FALSE(EmulatorFaultList::Apply("busy=2,nap=3", k, error));
    EXPECT_NE(error.find("\"nap=3\""), std::string::npos) << error;
}

}  // namespace
}  // namespace kelvadeck
