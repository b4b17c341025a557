#include "base/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "base/AtomicFile.h"

namespace kelvadeck {

namespace {

// How often a file that is replaced between opening and locking it is tried
// again before it counts as busy (it is being saved by another program).
constexpr int kAttempts = 16;

// File systems that have no flock, or only one emulated with record locks
// that an exclusive lock on a read-only descriptor does not get (NFS).
bool LocksUnsupported(int errnum) {
    return errnum == ENOLCK || errnum == EOPNOTSUPP || errnum == ENOTSUP || errnum == EINVAL || errnum == EBADF;
}

// Takes an exclusive lock on fd without waiting: true when locked (or when
// the file system has no locks), false with errno set otherwise.
bool TryFlock(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0 || LocksUnsupported(errno); }

// The name still leads to the file fd has open.
bool IsFileAt(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

// Locks a second descriptor of a file that is about to take the locked name.
bool LockNewFile(int fd, UniqueFd& locked, std::string& error) {
    locked.Reset(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!locked.Valid() || !TryFlock(locked.Get())) {
        error = AtomicFile::Reason(errno);
        return false;
    }
    return true;
}

}  // namespace

FileLock::Outcome FileLock::TryLock(const std::string& path, std::string& error) { return Lock(path, nullptr, error); }

FileLock::Outcome FileLock::TryLockOrCreate(const std::string& path, std::span<const uint8_t> initial, std::string& error) {
    return Lock(path, &initial, error);
}

FileLock::Outcome FileLock::Lock(const std::string& path, const std::span<const uint8_t>* initial, std::string& error) {
    Release();
    const std::optional<std::string> target = AtomicFile::Target(path, error);
    if (!target) return Outcome::Failed;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Non-blocking: a FIFO in the file's place must not hang the program.
        UniqueFd fd(::open(target->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!fd.Valid()) {
            if (errno != ENOENT || initial == nullptr) {
                error = AtomicFile::Reason(errno);
                return Outcome::Failed;
            }
            UniqueFd created;
            AtomicFile::Options options;
            options.replace = false;
            options.beforeRename = [&created](int newFd, std::string& why) { return LockNewFile(newFd, created, why); };
            if (AtomicFile::Write(*target, *initial, error, options)) {
                m_fd = std::move(created);
                m_path = *target;
                return Outcome::Created;
            }
            // Another program may have created it meanwhile: lock that one.
            struct stat st {};
            if (::stat(target->c_str(), &st) != 0) return Outcome::Failed;
            continue;
        }
        if (!TryFlock(fd.Get())) {
            if (errno == EWOULDBLOCK) return Outcome::Busy;
            error = AtomicFile::Reason(errno);
            return Outcome::Failed;
        }
        if (IsFileAt(fd.Get(), *target)) {
            m_fd = std::move(fd);
            m_path = *target;
            return Outcome::Locked;
        }
        // Replaced (saved by another program) between open and lock: the
        // lock holds the old file; try the one now under the name.
    }
    return Outcome::Busy;
}

bool FileLock::Replace(std::span<const uint8_t> bytes, std::string& error, const FileSystemOps& ops) {
    if (!Held()) {
        error = "the file is not locked";
        return false;
    }
    UniqueFd next;
    AtomicFile::Options options;
    options.ops = &ops;
    options.beforeRename = [&next](int newFd, std::string& why) { return LockNewFile(newFd, next, why); };
    if (!AtomicFile::Write(m_path, bytes, error, options)) return false;
    m_fd = std::move(next);  // the old file's lock goes with its descriptor
    return true;
}

void FileLock::Release() {
    m_fd.Reset();
    m_path.clear();
}

}  // namespace kelvadeck
