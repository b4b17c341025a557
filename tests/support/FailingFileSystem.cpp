#include "support/FailingFileSystem.h"

#include <cerrno>

namespace kelvadeck::testsupport {

const std::vector<FileStep>& AllFileSteps() {
    static const std::vector<FileStep> steps = {FileStep::Open,  FileStep::Write, FileStep::Chmod,
                                                FileStep::Sync,  FileStep::Close, FileStep::Rename};
    return steps;
}

std::string Name(FileStep step) {
    switch (step) {
        case FileStep::Open: return "open";
        case FileStep::Write: return "write";
        case FileStep::Chmod: return "chmod";
        case FileStep::Sync: return "sync";
        case FileStep::Close: return "close";
        case FileStep::Rename: return "rename";
    }
    return "?";
}

FileSystemOps FailingAt(FileStep step, int errnum) {
    const FileSystemOps& real = FileSystemOps::Real();
    FileSystemOps ops = real;
    auto fail = [errnum] {
        errno = errnum;
        return -1;
    };
    switch (step) {
        case FileStep::Open:
            ops.open = [fail](const char*, int, mode_t) { return fail(); };
            break;
        case FileStep::Write:
            // Half of what is asked each time, until a single byte is left.
            ops.write = [real, fail](int fd, const void* data, size_t size) -> ssize_t {
                return size > 1 ? real.write(fd, data, size / 2) : fail();
            };
            break;
        case FileStep::Chmod:
            ops.fchmod = [fail](int, mode_t) { return fail(); };
            break;
        case FileStep::Sync:
            ops.fsync = [fail](int) { return fail(); };
            break;
        case FileStep::Close:
            ops.close = [real, fail](int fd) {
                real.close(fd);
                return fail();
            };
            break;
        case FileStep::Rename:
            ops.rename = [fail](const char*, const char*, bool) { return fail(); };
            break;
    }
    return ops;
}

}  // namespace kelvadeck::testsupport
