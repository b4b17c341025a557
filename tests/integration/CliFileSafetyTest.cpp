// kelvadeck-cli and the user's files: two programs on one emulator image,
// links and permissions around it, read-only images, output that cannot be
// written, file size limits, and names that hold control characters. Where the
// operating system takes part (a second process, a full device, a limit), the
// built program is run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/DataManager.h"
#include "model/FlashControl.h"
#include "model/TextConvert.h"
#include "support/CliRunner.h"
#include "support/ReferenceImage.h"
#include "support/ScratchDir.h"

namespace kelvadeck {
namespace {

namespace fs = std::filesystem;
using FC = FlashControl;
using testsupport::CliRun;
using testsupport::RunCli;
using testsupport::ScratchDir;

// Single quotes for the shell.
std::string Quoted(const std::string& word) {
    std::string out = "'";
    for (const char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// A shell command line started in the background; Finish waits for it.
class Started {
public:
    explicit Started(const std::string& command) : m_pipe(::popen(("{ " + command + "; } 2>&1").c_str(), "r")) {}
    ~Started() {
        if (m_pipe != nullptr) ::pclose(m_pipe);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    // The exit status (-1 when it did not exit), and what it printed.
    int Finish(std::string& output) {
        if (m_pipe == nullptr) return -1;
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, m_pipe)) > 0) output.append(buffer, n);
        const int status = ::pclose(m_pipe);
        m_pipe = nullptr;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    FILE* m_pipe;
};

// The exit status of a command line, with its output in output.
int RunShell(const std::string& command, std::string& output) { return Started(command).Finish(output); }

class CliFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (testsupport::BuiltCliPath().empty() || !fs::exists(testsupport::BuiltCliPath())) GTEST_SKIP() << "kelvadeck-cli is not built";
        cli = Quoted(testsupport::BuiltCliPath());
    }
    // The reference image (scripts 1 to 40 stored) in a file.
    std::string ReferenceImage(const std::string& name) const {
        const std::string path = dir.File(name);
        const std::vector<uint8_t> bytes = testsupport::ReferenceImageBytes();
        ScratchDir::Write(path, std::string(bytes.begin(), bytes.end()));
        return path;
    }
    // A macro script file of a few steps.
    std::string ScriptFile(const std::string& name) const {
        const std::string text = dir.File(name + ".txt");
        ScratchDir::Write(text, "mode loop\nkey-press A\ninterval 300\nkey-release A\n");
        const std::string mcdf = dir.File(name);
        const CliRun r = RunCli({"macro", "encode", text, "-o", mcdf});
        EXPECT_EQ(r.code, 0) << r.err;
        fs::remove(text);
        return mcdf;
    }
    // The model an image file holds, with its scripts.
    static std::unique_ptr<DataManager> Decode(const std::string& image) {
        auto dm = std::make_unique<DataManager>();
        EXPECT_TRUE(dm->ReadFile(image, dm->WholeImage(), FC::FM_TOTAL_SIZE));
        EXPECT_TRUE(dm->RenewMemBuf());
        return dm;
    }
    static struct stat Stat(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
        return st;
    }

    ScratchDir dir;
    std::string cli;
};

// Two imports at once on one image, again and again: each waits for the
// other, so both scripts are stored every time and both say so truly.
TEST_F(CliFiles, TwoProgramsOnOneImageLoseNoEdit) {
    constexpr int kRounds = 20;
    const std::string image = ReferenceImage("device.mbf");
    const std::string mcdf = ScriptFile("brush.mcdf");
    auto import = [&](int slot) {
        return cli + " macro import " + Quoted(mcdf) + " " + std::to_string(slot) + " --name Slot" + std::to_string(slot) +
               " --yes --emulator=" + Quoted(image);
    };
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round + 1));
        const int first = 41 + 2 * round;
        Started a(import(first));
        Started b(import(first + 1));
        std::string outA, outB;
        EXPECT_EQ(a.Finish(outA), 0) << outA;
        EXPECT_EQ(b.Finish(outB), 0) << outB;
        const auto dm = Decode(image);
        for (int slot = 1; slot <= first + 1; ++slot) {
            const ScriptElem& e = dm->g_arSCE[static_cast<size_t>(slot - 1)];
            ASSERT_TRUE(e.IsStored()) << "script " << slot << " was lost";
            if (slot > 40) {
                EXPECT_EQ(e.strScriptName, TextConvert::Utf8ToUtf16("Slot" + std::to_string(slot)));
            }
        }
    }
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"brush.mcdf", "device.mbf"}));
}

TEST_F(CliFiles, LinksAndPermissionsAroundTheImageAreKept) {
    // A link planted where an earlier version put its temporary file: a save
    // must not write through it.
    const std::string image = ReferenceImage("device.mbf");
    ScratchDir::Write(dir.File("victim.txt"), "victim");
    fs::create_symlink(dir.File("victim.txt"), image + ".part");
    // The image itself through a link, readable by its owner only.
    fs::create_directories(dir.Path() / "real");
    fs::rename(image, dir.File("real/device.mbf"));
    fs::create_symlink("real/device.mbf", image);
    ASSERT_EQ(::chmod(dir.File("real/device.mbf").c_str(), 0600), 0);

    for (const std::vector<std::string>& command : {std::vector<std::string>{"info"}, {"reset", "--yes"}}) {
        std::vector<std::string> args = command;
        args.push_back("--emulator=" + image);
        const CliRun r = RunCli(args);
        ASSERT_EQ(r.code, 0) << r.err;
    }
    EXPECT_EQ(ScratchDir::Read(dir.File("victim.txt")), "victim");
    EXPECT_TRUE(fs::is_symlink(image + ".part"));
    EXPECT_TRUE(fs::is_symlink(image));
    EXPECT_EQ(ScratchDir::Read(dir.File("real/device.mbf")), std::string(FC::FM_TOTAL_SIZE, '\xFF'));  // reset
    EXPECT_EQ(ScratchDir::Mode(dir.File("real/device.mbf")), 0600u);
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"device.mbf", "device.mbf.part", "real", "victim.txt"}));
}

// Something that is no file where the image should be is refused at once
// (opening a FIFO to lock it would otherwise wait for a writer forever).
TEST_F(CliFiles, AFifoIsNoImage) {
    const std::string fifo = dir.File("device.mbf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const CliRun r = RunCli({"info", "--emulator=" + fifo});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << r.err;
}

// Commands that only read never write the image, so they work on read-only
// media; the file is exactly the one it was (same inode, same time).
TEST_F(CliFiles, ReadingCommandsLeaveAReadOnlyImageAlone) {
    const std::string image = ReferenceImage("device.mbf");
    ASSERT_EQ(::chmod(image.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
    const struct stat before = Stat(image);
    const std::vector<std::vector<std::string>> commands = {
        {"info"}, {"dump"}, {"dump", "--json"}, {"macro", "show", "1"}, {"export-json", "-"}, {"led", "10", "20", "30"}};
    for (std::vector<std::string> args : commands) {
        SCOPED_TRACE(args.front());
        args.push_back("--emulator=" + image);
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.code, 0) << r.err;
        const struct stat after = Stat(image);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    }
    EXPECT_EQ(dir.Names(), std::set<std::string>{"device.mbf"});
}

// `> /dev/full`: the data never arrived, so the command has failed.
TEST_F(CliFiles, OutputThatCannotBeWrittenFailsTheCommand) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string image = ReferenceImage("device.mbf");
    const std::string steps = dir.File("steps.txt");
    ScratchDir::Write(steps, "key-press A\nkey-release A\n");
    const std::string emulator = " --emulator=" + Quoted(image);
    for (const std::string& command : {"export-json -" + emulator, "dump --json" + emulator, "dump" + emulator,
                                       "macro show 1" + emulator, "macro encode " + Quoted(steps)}) {
        SCOPED_TRACE(command);
        std::string output;
        EXPECT_EQ(RunShell(cli + " " + command + " >/dev/full", output), 1);
        EXPECT_EQ(output, "kelvadeck-cli: cannot write to standard output: No space left on device\n");
    }
}

// The real thing, no seam: with a file size limit of 0 every write of a file
// fails; each command says why, and the older file of that name is kept.
TEST_F(CliFiles, AFileSizeLimitKeepsEveryOlderFile) {
    const std::string image = ReferenceImage("device.mbf");
    const std::string steps = dir.File("steps.txt");
    ScratchDir::Write(steps, "key-press A\nkey-release A\n");
    const std::string target = dir.File("target");
    const std::string emulator = " --emulator=" + Quoted(image);
    for (const std::string& command :
         {"backup " + Quoted(target) + emulator, "export-json " + Quoted(target) + emulator,
          "macro export 1 " + Quoted(target) + emulator, "macro encode " + Quoted(steps) + " -o " + Quoted(target)}) {
        SCOPED_TRACE(command);
        ScratchDir::Write(target, "the user's older file");
        std::string output;
        // SIGXFSZ ignored: the write fails with EFBIG instead of ending the program.
        EXPECT_EQ(RunShell("ulimit -f 0; trap '' XFSZ; exec " + cli + " " + command, output), 1);
        EXPECT_NE(output.find("File too large"), std::string::npos) << output;
        EXPECT_EQ(ScratchDir::Read(target), "the user's older file");
        EXPECT_EQ(dir.Names(), (std::set<std::string>{"device.mbf", "steps.txt", "target"}));
    }
    const std::vector<uint8_t> reference = testsupport::ReferenceImageBytes();
    EXPECT_EQ(ScratchDir::Read(image), std::string(reference.begin(), reference.end()));
}

// A name with a line break, quotes, backslashes and terminal escapes stays
// inside its comment in the listing, so that the listing reads back to the
// very same script; and no escape sequence reaches the terminal.
TEST_F(CliFiles, ControlCharactersInNamesNeverReachTheTerminal) {
    const std::string image = ReferenceImage("device.mbf");
    const std::string mcdf = ScriptFile("brush.mcdf");
    const std::string name = "a\"b\\c\nkey-press A\x1B[31m\x7F\xC2\x85 end";
    const CliRun imp = RunCli({"macro", "import", mcdf, "9", "--name", name, "--yes", "--emulator=" + image});
    ASSERT_EQ(imp.code, 0) << imp.err;

    const CliRun show = RunCli({"macro", "show", "9", "--emulator=" + image});
    ASSERT_EQ(show.code, 0) << show.err;
    const std::string quoted = R"("a\"b\\c\nkey-press A\x1B[31m\x7F\u0085 end")";
    EXPECT_EQ(show.out.substr(0, show.out.find('\n')), "# script 9 " + quoted + ", 7 bytes");
    const CliRun listing = RunCli({"macro", "encode"}, show.out);
    const CliRun original = RunCli({"macro", "decode", mcdf});
    const CliRun expected = RunCli({"macro", "encode"}, original.out);
    ASSERT_EQ(listing.code, 0) << listing.err;
    EXPECT_EQ(listing.out, expected.out);
    EXPECT_EQ(listing.out, "41 04 70 01 2C 40 04\n");

    const CliRun dump = RunCli({"dump", "--emulator=" + image});
    ASSERT_EQ(dump.code, 0) << dump.err;
    EXPECT_NE(dump.out.find("#9 " + quoted), std::string::npos);
    for (const CliRun* r : {&show, &dump}) {
        EXPECT_EQ(r->out.find_first_of("\x1B\x7F"), std::string::npos);
        EXPECT_EQ(r->out.find("\xC2\x85"), std::string::npos);
    }

    // An error line quoting a document's text.
    CliRun exported = RunCli({"export-json", "-", "--emulator=" + image});
    ASSERT_EQ(exported.code, 0) << exported.err;
    auto doc = nlohmann::ordered_json::parse(exported.out);
    doc["scripts"][0]["steps"] = {"key-press \x1B]0;owned\x07"};
    const std::string json = dir.File("settings.json");
    ScratchDir::Write(json, doc.dump());
    const CliRun refused = RunCli({"import-json", json, "--yes", "--emulator=" + image});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find(R"(\x1B]0;owned\x07)"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.err.find_first_of("\x1B\x07"), std::string::npos);
}

}  // namespace
}  // namespace kelvadeck
