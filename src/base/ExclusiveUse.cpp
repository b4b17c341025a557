#include "base/ExclusiveUse.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace kelvadeck {

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

bool ExclusiveUse::Take(const std::string& path, Holder& holder) {
    m_fd.Reset();
    holder = Holder{};
    // Read-only and non-blocking: the lock needs a descriptor, not the data.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.Valid()) return true;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) {
        m_fd = std::move(fd);
    } else if (errno == EWOULDBLOCK) {
        if (const std::optional<Holder> found = FindHolder(fd.Get(), ReadAll("/proc/locks"))) holder = *found;
        return false;
    }
    return true;
}

std::string ExclusiveUse::Describe(const Holder& holder) {
    if (holder.pid <= 0) return "another program";
    return (holder.program.empty() ? "a program" : holder.program) + " (process " + std::to_string(holder.pid) + ")";
}

std::optional<ExclusiveUse::Holder> ExclusiveUse::FindHolder(int fd, const std::string& procLocks) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return std::nullopt;
    // Lines read "1: FLOCK  ADVISORY  WRITE 1234 00:05:678 0 EOF": the holder's
    // process, then the file as major:minor (hexadecimal) of its file system
    // and its inode. Lines of waiting locks carry "->" after the number.
    std::ostringstream fileId;
    fileId << std::hex;
    fileId.width(2);
    fileId.fill('0');
    fileId << major(st.st_dev) << ':';
    fileId.width(2);
    fileId << minor(st.st_dev) << ':' << std::dec << st.st_ino;
    std::istringstream lines(procLocks);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string number, kind, advisory, access, file;
        long pid = 0;
        if (!(words >> number >> kind) || kind == "->" || kind != "FLOCK") continue;
        if (!(words >> advisory >> access >> pid >> file) || file != fileId.str()) continue;
        Holder holder;
        holder.pid = static_cast<pid_t>(pid);
        holder.program = ReadAll("/proc/" + std::to_string(pid) + "/comm");
        while (!holder.program.empty() && (holder.program.back() == '\n' || holder.program.back() == '\r')) holder.program.pop_back();
        return holder;
    }
    return std::nullopt;
}

}  // namespace kelvadeck
