// The file writer every write goes through, and the lock on the emulator's
// image. How each writer of the programs keeps the old file when a step fails
// is in integration/FileWritersTest.cpp.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/FileLock.h"
#include "support/ScratchDir.h"

namespace kelvadeck {
namespace {

namespace fs = std::filesystem;
using testsupport::ScratchDir;

// Sets the umask for one test and puts the old one back.
class Umask {
public:
    explicit Umask(mode_t mask) : m_old(::umask(mask)) {}
    ~Umask() { ::umask(m_old); }

private:
    mode_t m_old;
};

TEST(AtomicFile, ANewFileGetsTheUmasksModeAndAnOldFileKeepsItsOwn) {
    ScratchDir dir;
    const Umask mask(027);
    std::string error;
    ASSERT_TRUE(AtomicFile::Write(dir.File("new.mbf"), "new", error)) << error;
    EXPECT_EQ(ScratchDir::Mode(dir.File("new.mbf")), 0640u);
    for (const unsigned mode : {0600u, 0644u, 0755u, 0660u}) {
        SCOPED_TRACE(mode);
        const std::string path = dir.File("old.mbf");
        ScratchDir::Write(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(AtomicFile::Write(path, "replaced", error)) << error;
        EXPECT_EQ(ScratchDir::Read(path), "replaced");
        EXPECT_EQ(ScratchDir::Mode(path), mode);
    }
}

TEST(AtomicFile, ASymlinkIsWrittenWhereItPointsAndStaysALink) {
    ScratchDir dir;
    fs::create_directories(dir.Path() / "real");
    ScratchDir::Write(dir.File("real/device.mbf"), "old");
    fs::create_symlink("real/device.mbf", dir.Path() / "link.mbf");  // relative to the link's folder
    fs::create_symlink(dir.Path() / "link.mbf", dir.Path() / "chain.mbf");
    std::string error;
    ASSERT_TRUE(AtomicFile::Write(dir.File("chain.mbf"), "new", error)) << error;
    EXPECT_EQ(ScratchDir::Read(dir.File("real/device.mbf")), "new");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.mbf"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "chain.mbf"));
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"chain.mbf", "link.mbf", "real"}));

    // A link to a file not there yet creates that file.
    fs::create_symlink("real/later.mbf", dir.Path() / "dangling.mbf");
    ASSERT_TRUE(AtomicFile::Write(dir.File("dangling.mbf"), "later", error)) << error;
    EXPECT_EQ(ScratchDir::Read(dir.File("real/later.mbf")), "later");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "dangling.mbf"));
}

TEST(AtomicFile, TheTemporaryIsCreatedExclusivelyBesideTheTarget) {
    ScratchDir dir;
    fs::create_directories(dir.Path() / "real");
    fs::create_symlink("real/device.mbf", dir.Path() / "link.mbf");
    std::vector<std::pair<std::string, int>> opened;
    FileSystemOps ops = FileSystemOps::Real();
    ops.open = [&opened](const char* path, int flags, mode_t mode) {
        opened.emplace_back(path, flags);
        return FileSystemOps::Real().open(path, flags, mode);
    };
    std::string error;
    ASSERT_TRUE(AtomicFile::Write(dir.File("link.mbf"), "new", error, ops)) << error;
    ASSERT_EQ(opened.size(), 1u);
    // Never an existing file, never through a link planted under its name.
    EXPECT_EQ(opened[0].second & (O_CREAT | O_EXCL | O_NOFOLLOW), O_CREAT | O_EXCL | O_NOFOLLOW);
    // In the target's own folder, so that the rename stays on one file system.
    EXPECT_EQ(fs::path(opened[0].first).parent_path(), dir.Path() / "real");
}

TEST(AtomicFile, TargetsThatAreNoFileAreRefused) {
    ScratchDir dir;
    fs::create_directories(dir.Path() / "folder");
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    fs::create_symlink("loop-b", dir.Path() / "loop-a");
    fs::create_symlink("loop-a", dir.Path() / "loop-b");
    ScratchDir::Write(dir.File("existing"), "old");
    struct Case {
        std::string path;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {dir.File("folder"), "Is a directory"},
        {dir.File("fifo"), "it is not a regular file"},  // and no write that blocks on it
        {dir.File("loop-a"), "Too many levels of symbolic links"},
        {dir.File("missing/x.mbf"), "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string error;
        EXPECT_FALSE(AtomicFile::Write(c.path, "new", error));
        EXPECT_EQ(error, c.reason);
    }
    // Only creating, never replacing.
    AtomicFile::Options createOnly;
    createOnly.replace = false;
    std::string error;
    EXPECT_FALSE(AtomicFile::Write(dir.File("existing"), std::span<const uint8_t>(), error, createOnly));
    EXPECT_EQ(error, "File exists");
    EXPECT_EQ(ScratchDir::Read(dir.File("existing")), "old");
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"existing", "fifo", "folder", "loop-a", "loop-b"}));
}

// A file the user may not write stays as it is, although the folder would
// let a rename replace it.
TEST(AtomicFile, AFileTheUserMayNotWriteIsNotReplaced) {
    ScratchDir dir;
    const std::string path = dir.File("read-only.mbf");
    ScratchDir::Write(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    if (::access(path.c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights that write any file";
    std::string error;
    EXPECT_FALSE(AtomicFile::Write(path, "new", error));
    EXPECT_EQ(error, "Permission denied");
    EXPECT_EQ(ScratchDir::Read(path), "old");
}

// The real thing, no seam: a file size limit (ulimit -f) stops the write of a
// 2 MiB backup half way; the old backup stays whole and nothing is left over.
TEST(AtomicFile, AFileSizeLimitKeepsTheOldFile) {
    ScratchDir dir;
    const std::string path = dir.File("backup.mbf");
    ScratchDir::Write(path, std::string(2 << 20, '\x11'));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit then fails with EFBIG
        const rlimit limit{1 << 20, 1 << 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool written = AtomicFile::Write(path, std::string(2 << 20, '\x22'), error);
        ::_exit(written ? 1 : error == AtomicFile::Reason(EFBIG) ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written despite the limit, 2: another reason";
    EXPECT_EQ(ScratchDir::Read(path), std::string(2 << 20, '\x11'));
    EXPECT_EQ(dir.Names(), std::set<std::string>{"backup.mbf"});
}

TEST(FileLock, ASecondHolderIsToldTheFileIsBusyUntilTheFirstLetsGo) {
    ScratchDir dir;
    const std::string path = dir.File("device.mbf");
    ScratchDir::Write(path, "image");
    FileLock first;
    FileLock second;
    std::string error;
    ASSERT_EQ(first.TryLock(path, error), FileLock::Outcome::Locked) << error;
    EXPECT_EQ(second.TryLock(path, error), FileLock::Outcome::Busy);
    EXPECT_FALSE(second.Held());
    first.Release();
    EXPECT_EQ(second.TryLock(path, error), FileLock::Outcome::Locked) << error;
    EXPECT_EQ(first.TryLock(dir.File("missing.mbf"), error), FileLock::Outcome::Failed);
    EXPECT_EQ(error, "No such file or directory");
}

TEST(FileLock, ReplaceKeepsTheNameLocked) {
    ScratchDir dir;
    const std::string path = dir.File("device.mbf");
    ScratchDir::Write(path, "old");
    FileLock holder;
    std::string error;
    ASSERT_EQ(holder.TryLock(path, error), FileLock::Outcome::Locked) << error;
    for (const char* content : {"new", "newer"}) {
        ASSERT_TRUE(holder.Replace(std::span(reinterpret_cast<const uint8_t*>(content), std::strlen(content)), error))
            << error;
        EXPECT_EQ(ScratchDir::Read(path), content);
        // The file now under the name is another one than the one locked
        // first; it is locked all the same.
        FileLock other;
        EXPECT_EQ(other.TryLock(path, error), FileLock::Outcome::Busy);
    }
}

TEST(FileLock, AMissingFileIsCreatedWithItsInitialBytesAndLocked) {
    ScratchDir dir;
    const std::string path = dir.File("new.mbf");
    const std::vector<uint8_t> erased(16, 0xFF);
    FileLock creator;
    std::string error;
    ASSERT_EQ(creator.TryLockOrCreate(path, erased, error), FileLock::Outcome::Created) << error;
    EXPECT_EQ(ScratchDir::Read(path), std::string(16, '\xFF'));
    FileLock other;
    EXPECT_EQ(other.TryLockOrCreate(path, erased, error), FileLock::Outcome::Busy);
    creator.Release();
    EXPECT_EQ(other.TryLockOrCreate(path, std::vector<uint8_t>{1, 2}, error), FileLock::Outcome::Locked);
    EXPECT_EQ(ScratchDir::Read(path), std::string(16, '\xFF'));  // an existing file is never replaced
    EXPECT_EQ(creator.TryLockOrCreate(dir.File("missing/new.mbf"), erased, error), FileLock::Outcome::Failed);
    EXPECT_EQ(error, "No such file or directory");
}

}  // namespace
}  // namespace kelvadeck
