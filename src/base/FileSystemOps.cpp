#include "base/FileSystemOps.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvadeck {

const FileSystemOps& FileSystemOps::Real() {
    static const FileSystemOps real{
        [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
        [](int fd, const void* data, size_t size) { return ::write(fd, data, size); },
        [](int fd) { return ::fsync(fd); },
        [](int fd, mode_t mode) { return ::fchmod(fd, mode); },
        [](int fd) { return ::close(fd); },
        [](const char* from, const char* to, bool replace) {
            if (replace) return ::rename(from, to);
#if defined(__APPLE__)
            if (::renamex_np(from, to, RENAME_EXCL) == 0) return 0;
#else
            if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
#endif
            if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
            // A file system without an exclusive rename: a hard link cannot
            // replace a file either.
            if (::link(from, to) != 0) return -1;
            ::unlink(from);
            return 0;
        },
    };
    return real;
}

}  // namespace kelvadeck
