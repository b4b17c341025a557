// Every file the programs write, made to fail at every step of the write
// (through the file writer's seam): the user's older file must stay whole,
// with its permissions, and no temporary file may be left beside it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/DataManager.h"
#include "core/FileUserDefaults.h"
#include "base/AtomicFile.h"
#include "base/FileLock.h"
#include "export/SettingsJsonTransfer.h"
#include "macro/MacroCreator.h"
#include "macro/MacroScriptFile.h"
#include "model/FlashControl.h"
#include "support/FailingFileSystem.h"
#include "support/ScratchDir.h"

namespace kelvadeck {
namespace {

using testsupport::FileStep;
using testsupport::ScratchDir;

// Writes new content to path with ops: none on success, else the message
// the user would see (empty when the writer reports no reason).
using WriterFn = std::function<std::optional<std::string>(const std::string& path, const FileSystemOps& ops)>;

struct Writer {
    const char* name;
    WriterFn write;
};

std::optional<std::string> Reported(bool ok, const std::string& error) {
    return ok ? std::nullopt : std::optional<std::string>(error);
}

std::vector<Writer> Writers() {
    return {
        {"backup file (DataManager::SaveFile)",
         [](const std::string& path, const FileSystemOps& ops) {
             DataManager::Options options;
             options.fileOps = &ops;
             const DataManager dm(std::move(options));
             std::string error;
             return Reported(dm.SaveFile(path, dm.WholeImage(), FlashControl::FM_TOTAL_SIZE, error), error);
         }},
        {"macro export (MacroScriptFile::WriteFile)",
         [](const std::string& path, const FileSystemOps& ops) {
             const auto bytes = MacroScriptFile::BuildBytes(1, {0x41, 0x04, 0x40, 0x04});
             std::string error;
             return Reported(MacroScriptFile::WriteFile(path, *bytes, error, ops), error);
         }},
        {"macro encode -o (MacroScriptFile::Export)",
         [](const std::string& path, const FileSystemOps& ops) {
             MacroCreator macro;
             const MacroScriptFile::Exported exported = MacroScriptFile::Export(macro, path, ops);
             return Reported(exported.ok(), MacroScriptFile::ErrorText(exported));
         }},
        {"settings document (SettingsJsonTransfer::WriteDocument)",
         [](const std::string& path, const FileSystemOps& ops) {
             DataManager dm;
             for (int sector = 0; sector < static_cast<int>(FlashControl::FM_SECTOR_NUM); ++sector) {
                 dm.SetSectorReadFlag(sector, true);
             }
             EXPECT_TRUE(dm.DataInitializeFromMemory());
             size_t scripts = 0;
             std::string error;
             return Reported(SettingsJsonTransfer::WriteDocument(dm, path, scripts, error, ops), error);
         }},
        {"emulator image (FileLock::Replace)",
         [](const std::string& path, const FileSystemOps& ops) {
             FileLock image;
             std::string error;
             EXPECT_EQ(image.TryLock(path, error), FileLock::Outcome::Locked) << error;
             const std::vector<uint8_t> erased(FlashControl::FM_TOTAL_SIZE, 0xFF);
             const bool ok = image.Replace(erased, error, ops);
             if (!ok) {
                 // The old image is still the locked one.
                 FileLock other;
                 std::string busy;
                 EXPECT_EQ(other.TryLock(path, busy), FileLock::Outcome::Busy);
             }
             return Reported(ok, error);
         }},
        {"user settings (FileUserDefaults::SetInteger)",
         [](const std::string& path, const FileSystemOps& ops) {
             FileUserDefaults defaults(path, ops);
             return Reported(defaults.SetInteger("KEYBOARD_TYPE_USER_SETTING", 1), "");
         }},
    };
}

struct Failure {
    FileStep step;
    int errnum;
};

// How each step fails on real machines.
const std::vector<Failure>& Failures() {
    static const std::vector<Failure> failures = {
        {FileStep::Open, EACCES},  {FileStep::Write, ENOSPC}, {FileStep::Chmod, EPERM},
        {FileStep::Sync, EIO},     {FileStep::Close, EDQUOT}, {FileStep::Rename, EXDEV},
    };
    return failures;
}

TEST(FileWriters, EveryFailingStepKeepsTheOldFileAndSaysWhy) {
    const std::string old = "the user's good file\n";
    ASSERT_EQ(Failures().size(), testsupport::AllFileSteps().size());
    for (const Writer& writer : Writers()) {
        for (const Failure& failure : Failures()) {
            SCOPED_TRACE(std::string(writer.name) + " failing at " + testsupport::Name(failure.step));
            ScratchDir dir;
            const std::string path = dir.File("target");
            ScratchDir::Write(path, old);
            ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

            const std::optional<std::string> error = writer.write(path, testsupport::FailingAt(failure.step, failure.errnum));
            ASSERT_TRUE(error.has_value());
            if (!error->empty()) {
                EXPECT_NE(error->find(AtomicFile::Reason(failure.errnum)), std::string::npos) << *error;
            }
            EXPECT_EQ(ScratchDir::Read(path), old);
            EXPECT_EQ(ScratchDir::Mode(path), 0640u);
            EXPECT_EQ(dir.Names(), std::set<std::string>{"target"});
        }
        SCOPED_TRACE(writer.name);
        ScratchDir dir;
        const std::string path = dir.File("target");
        ScratchDir::Write(path, old);
        ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
        const std::optional<std::string> error = writer.write(path, FileSystemOps::Real());
        EXPECT_FALSE(error.has_value()) << *error;
        EXPECT_NE(ScratchDir::Read(path), old);
        EXPECT_EQ(ScratchDir::Mode(path), 0640u);
        EXPECT_EQ(dir.Names(), std::set<std::string>{"target"});
    }
}

}  // namespace
}  // namespace kelvadeck
