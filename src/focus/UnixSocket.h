#pragma once

#include <string>

#include "base/UniqueFd.h"

namespace kelvadeck {

// The little the compositors' IPC needs of a UNIX stream socket.
class UnixSocket {
public:
    // Connected, or invalid with the reason in error.
    static UniqueFd Connect(const std::string& path, std::string& error);
    static bool WriteAll(int fd, const std::string& bytes);
    // Appends what can be read to buffer, waiting at most timeoutMs for the
    // first bytes (0: only what is there). False when the peer closed the
    // socket or it failed.
    static bool ReadSome(int fd, std::string& buffer, int timeoutMs);
};

}  // namespace kelvadeck
