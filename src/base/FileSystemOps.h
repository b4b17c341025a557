#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>

namespace kelvadeck {

// The system calls with which AtomicFile writes a file, as replaceable
// functions. Real() holds the system's own; a test copies it and replaces one
// call by one that fails as a full disk, a file size limit or a vanished
// folder makes it fail (returns -1 with errno set), so that every step of a
// write can be made to fail without root and without a special file system.
struct FileSystemOps {
    std::function<int(const char* path, int flags, mode_t mode)> open;
    std::function<ssize_t(int fd, const void* data, size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(int fd, mode_t mode)> fchmod;
    // Closes fd whatever it returns, as close(2) does on Linux.
    std::function<int(int fd)> close;
    // Renames from to to; with replace false it fails with EEXIST when to exists.
    std::function<int(const char* from, const char* to, bool replace)> rename;

    static const FileSystemOps& Real();
};

}  // namespace kelvadeck
