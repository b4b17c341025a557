// One program at a time on a device node: a second one is kept off and told
// which program holds it; the node is free again when the holder ends.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "base/ExclusiveUse.h"
#include "support/ScratchDir.h"

namespace kelvadeck {
namespace {

TEST(ExclusiveUse, ASecondProgramIsKeptOffAndToldWhoHoldsTheNode) {
    const testsupport::ScratchDir dir;
    const std::string node = dir.File("hidraw7");
    std::ofstream(node) << "";

    // The holder: another process, as a follow-focus in a terminal would be.
    int toChild[2];
    int fromChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(fromChild), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(toChild[1]);
        ExclusiveUse use;
        ExclusiveUse::Holder none;
        const char ok = use.Take(node, none) && use.Held() ? 'y' : 'n';
        [[maybe_unused]] ssize_t n = ::write(fromChild[1], &ok, 1);
        char byte;
        n = ::read(toChild[0], &byte, 1);  // until the test lets go
        ::_exit(0);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    char ok = 0;
    ASSERT_EQ(::read(fromChild[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');

    ExclusiveUse second;
    ExclusiveUse::Holder holder;
    EXPECT_FALSE(second.Take(node, holder));
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(holder.pid, child);
    EXPECT_FALSE(holder.program.empty());
    EXPECT_NE(ExclusiveUse::Describe(holder).find("(process " + std::to_string(child) + ")"), std::string::npos);

    // The holder ends: the node is this program's.
    ::close(toChild[1]);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(second.Take(node, holder));
    EXPECT_TRUE(second.Held());
    ::close(fromChild[0]);

    // Within one program too, a second user of the node is kept off until the first goes.
    {
        ExclusiveUse third;
        EXPECT_FALSE(third.Take(node, holder));
        EXPECT_EQ(holder.pid, ::getpid());
    }
    second = ExclusiveUse();
    ExclusiveUse fourth;
    EXPECT_TRUE(fourth.Take(node, holder));

    // A path that is no node takes nothing and leaves the error to the device's open.
    ExclusiveUse missing;
    EXPECT_TRUE(missing.Take(dir.File("no-such-node"), holder));
    EXPECT_FALSE(missing.Held());
    EXPECT_EQ(ExclusiveUse::Describe(ExclusiveUse::Holder{}), "another program");
}

}  // namespace
}  // namespace kelvadeck
