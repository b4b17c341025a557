// The desktop application's command line: --emulator takes its file as the
// command line program does, and a wrong command line is one message.
#include <gtest/gtest.h>

#include <QStringList>
#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace kelvadeck {
namespace {

QStringList Args(const std::vector<std::string>& words) {
    QStringList out{QStringLiteral("kelvadeck")};
    for (const std::string& w : words) out << QString::fromStdString(w);
    return out;
}

TEST(CommandLine, TheEmulatorsImageComesEveryWayTheCliTakesIt) {
    struct Case {
        std::vector<std::string> words;
        bool emulator;
        std::string file;
    };
    const std::vector<Case> cases = {
        {{}, false, ""},
        {{"--emulator"}, true, ""},
        {{"--emulator=dev.mbf"}, true, "dev.mbf"},
        {{"--emulator", "dev.mbf"}, true, "dev.mbf"},
        {{"--verbose", "--emulator", "dev.mbf", "--debug"}, true, "dev.mbf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Args(c.words).join(QLatin1Char(' ')).toStdString());
        CommandLine::Options o;
        std::string error;
        ASSERT_TRUE(CommandLine::Parse(Args(c.words), o, error)) << error;
        EXPECT_EQ(o.emulator, c.emulator);
        EXPECT_EQ(o.emulatorFile, c.file);
    }
    CommandLine::Options o;
    std::string error;
    ASSERT_TRUE(CommandLine::Parse(Args({"--device", "KD-1", "--emulator", "--emulator-faults", "busy=3", "-v"}), o, error));
    EXPECT_EQ(o.device, "KD-1");
    EXPECT_EQ(o.emulatorFaults, "busy=3");
    EXPECT_TRUE(o.verbose);
}

TEST(CommandLine, AWrongCommandLineIsOneMessage) {
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"dev.mbf"}, {"--emulator", "a.mbf", "b.mbf"}, {"--emulator-faults", "busy=1"},
             {"--emulator", "--emulator-faults", "nap=1"}, {"--device"}}) {
        SCOPED_TRACE(Args(words).join(QLatin1Char(' ')).toStdString());
        CommandLine::Options o;
        std::string error;
        EXPECT_FALSE(CommandLine::Parse(Args(words), o, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    EXPECT_EQ(CommandLine::HelpOrVersion(Args({"--version"})), std::optional<std::string>(std::string("kelvadeck ") + KELVADECK_VERSION + "\n"));
    // Qt's own options, not known before the application object takes them, do not get in the way.
    const auto help = CommandLine::HelpOrVersion(Args({"-platform", "offscreen", "--help"}));
    ASSERT_TRUE(help.has_value());
    EXPECT_NE(help->find("Usage: kelvadeck"), std::string::npos) << *help;
    EXPECT_NE(help->find("--device"), std::string::npos);
    EXPECT_FALSE(CommandLine::HelpOrVersion(Args({"--emulator"})).has_value());
}

}  // namespace
}  // namespace kelvadeck
