#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

#include "base/UniqueFd.h"

namespace kelvadeck {

namespace {

// Linux follows at most 40 links in one path; a longer chain is a loop.
constexpr int kMaxSymlinks = 40;
// Names tried for the temporary before giving up (each is random).
constexpr int kMaxTemporaryNames = 100;

std::string TemporaryName(const std::string& target, std::random_device& random) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = target + ".tmp-";
    for (int i = 0; i < 8; ++i) name.push_back(kLetters[random() % (sizeof kLetters - 1)]);
    return name;
}

// The temporary file of one write. It is removed again unless it took the
// target's name.
struct Temporary {
    std::string path;
    UniqueFd fd;
    bool renamed = false;
    ~Temporary() {
        fd.Reset();
        if (!path.empty() && !renamed) ::unlink(path.c_str());
    }
};

// After a rename the folder holds the new name; syncing it makes the rename
// itself survive a power cut. The file is complete either way, so a folder
// that cannot be synced (some file systems refuse) is no failure.
void SyncFolder(const std::string& target) {
    std::filesystem::path folder = std::filesystem::path(target).parent_path();
    if (folder.empty()) folder = std::filesystem::path(".");
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid()) ::fsync(fd.Get());
}

}  // namespace

std::string AtomicFile::Reason(int errnum) { return std::error_code(errnum, std::generic_category()).message(); }

std::optional<std::string> AtomicFile::Target(const std::string& path, std::string& error) {
    std::filesystem::path current = path;
    for (int hops = 0; hops <= kMaxSymlinks; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno == ENOENT) return current.string();  // a new file
            error = Reason(errno);
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) return current.string();
        std::error_code ec;
        const std::filesystem::path link = std::filesystem::read_symlink(current, ec);
        if (ec) {
            error = ec.message();
            return std::nullopt;
        }
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    error = Reason(ELOOP);
    return std::nullopt;
}

bool AtomicFile::Write(const std::string& path, std::span<const uint8_t> bytes, std::string& error, const FileSystemOps& ops) {
    Options options;
    options.ops = &ops;
    return Write(path, bytes, error, options);
}

bool AtomicFile::Write(const std::string& path, std::string_view text, std::string& error, const FileSystemOps& ops) {
    return Write(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), error, ops);
}

bool AtomicFile::Write(const std::string& path, std::span<const uint8_t> bytes, std::string& error, const Options& options) {
    const FileSystemOps& ops = *options.ops;
    const std::optional<std::string> target = Target(path, error);
    if (!target) return false;

    struct stat old {};
    const bool exists = ::stat(target->c_str(), &old) == 0;
    if (!exists && errno != ENOENT) {
        error = Reason(errno);
        return false;
    }
    if (exists) {
        if (!S_ISREG(old.st_mode)) {
            error = S_ISDIR(old.st_mode) ? Reason(EISDIR) : "it is not a regular file";
            return false;
        }
        if (!options.replace) {
            error = Reason(EEXIST);
            return false;
        }
        // A rename would replace a file the user may not write; refuse it as
        // writing into it would be refused.
        if (::faccessat(AT_FDCWD, target->c_str(), W_OK, AT_EACCESS) != 0) {
            error = Reason(errno);
            return false;
        }
    }

    Temporary temp;
    std::random_device random;
    for (int attempt = 0; !temp.fd.Valid(); ++attempt) {
        const std::string name = TemporaryName(*target, random);
        const int fd = ops.open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temp.fd.Reset(fd);
            temp.path = name;
        } else if (errno != EEXIST || attempt + 1 >= kMaxTemporaryNames) {
            error = Reason(errno);
            return false;
        }
    }

    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ops.write(temp.fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = Reason(n < 0 ? errno : EIO);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (exists) {
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            // Only root may give a file away; otherwise the new file stays ours.
            const int given = ::fchown(temp.fd.Get(), old.st_uid, old.st_gid);
            (void)given;
        }
        if (ops.fchmod(temp.fd.Get(), old.st_mode & 07777) != 0) {
            error = Reason(errno);
            return false;
        }
    }
    if (ops.fsync(temp.fd.Get()) != 0) {
        error = Reason(errno);
        return false;
    }
    if (options.beforeRename && !options.beforeRename(temp.fd.Get(), error)) return false;
    // Some file systems report a failed write only when the file is closed.
    if (ops.close(temp.fd.Release()) != 0) {
        error = Reason(errno);
        return false;
    }
    if (ops.rename(temp.path.c_str(), target->c_str(), options.replace) != 0) {
        error = Reason(errno);
        return false;
    }
    temp.renamed = true;
    SyncFolder(*target);
    return true;
}

}  // namespace kelvadeck
