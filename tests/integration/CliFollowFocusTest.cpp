// kelvadeck-cli follow-focus as a user runs it: the built program on a
// private X server, windows made active as a window manager would, the
// emulated device traced. What reaches the device must be one settings
// report per change of mode and nothing for the flash.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/AppModeRules.h"
#include "support/CliRunner.h"
#include "support/FakeWindowManager.h"
#include "support/ReferenceImage.h"
#include "support/ScratchDir.h"
#include "support/XvfbServer.h"

namespace kelvadeck {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Waits (at most ten seconds) until the file holds text; true when it does.
bool WaitFor(const std::string& path, const std::string& text) {
    for (int i = 0; i < 500; ++i) {
        if (Slurp(path).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// The reports sent after the line that starts with `after`.
std::vector<std::string> SentAfter(const std::string& trace, const std::string& after) {
    std::vector<std::string> sent;
    std::istringstream lines(trace);
    bool started = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(after, 0) == 0) started = true;
        if (started && line.rfind("> ", 0) == 0) sent.push_back(line.substr(2));
    }
    return sent;
}

// The built program with the environment given (and nothing of the test's
// desktop), standard output and error into files.
class Child {
public:
    Child(const std::vector<std::string>& args, const std::vector<std::string>& env, const std::string& out,
          const std::string& err) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    // Asks the program to stop as Ctrl+C does; its exit status.
    int Stop() {
        int status = 0;
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    bool Running() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
};

TEST(CliFollowFocus, EachChangeOfModeIsOneSettingsReportAndNothingForTheFlash) {
    const testsupport::XvfbServer x;
    if (!x.Running()) GTEST_SKIP() << "no Xvfb";
    if (testsupport::BuiltCliPath().empty()) GTEST_SKIP() << "kelvadeck-cli is not built";
    const testsupport::ScratchDir dir;
    const std::string image = dir.File("device.mbf");
    {
        const std::vector<uint8_t> bytes = testsupport::ReferenceImageBytes();
        std::ofstream(image, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    AppModeRules rules;
    ASSERT_TRUE(rules.Set("krita", 2));
    rules.fallback = 1;
    std::string error;
    ASSERT_TRUE(rules.Save(dir.File("config/kelvadeck/app-modes.conf"), error)) << error;

    std::vector<std::string> env{"DISPLAY=" + x.Display(), "XDG_CONFIG_HOME=" + dir.File("config"), "HOME=" + dir.Path().string(),
                                 "LANG=C"};
    const std::string out = dir.File("out.txt");
    const std::string err = dir.File("err.txt");
    Child cli({testsupport::BuiltCliPath(), "--emulator=" + image, "--trace", "follow-focus"}, env, out, err);
    ASSERT_TRUE(cli.Running());
    ASSERT_TRUE(WaitFor(err, "following the focus on X11")) << Slurp(err);

    testsupport::FakeWindowManager wm(x.Display());
    const uint32_t krita = wm.Window("krita", "krita");
    const uint32_t krita2 = wm.Window("krita", "krita");
    const uint32_t terminal = wm.Window("xterm", "XTerm");
    wm.Activate(krita);
    ASSERT_TRUE(WaitFor(out, "mode 2 for krita")) << Slurp(out) << Slurp(err);
    wm.Activate(krita2);  // another window of the same application: nothing to do
    wm.Activate(terminal);
    ASSERT_TRUE(WaitFor(out, "mode 1 for xterm")) << Slurp(out) << Slurp(err);
    EXPECT_EQ(cli.Stop(), 0) << Slurp(err);

    const std::vector<std::string> sent = SentAfter(Slurp(err), "kelvadeck-cli: following the focus");
    ASSERT_EQ(sent.size(), 2u) << Slurp(err);
    EXPECT_EQ(sent[0].rfind("34 01", 0), 0u) << sent[0];
    EXPECT_EQ(sent[1].rfind("34 00", 0), 0u) << sent[1];
    // The live updates left the flash as it was.
    const std::vector<uint8_t> bytes = testsupport::ReferenceImageBytes();
    EXPECT_EQ(Slurp(image), std::string(bytes.begin(), bytes.end()));
}

}  // namespace
}  // namespace kelvadeck
