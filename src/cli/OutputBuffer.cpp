#include "cli/OutputBuffer.h"

#include <unistd.h>

#include <cerrno>

namespace kelvadeck {

OutputBuffer::OutputBuffer(int fd) : m_fd(fd) { setp(m_buffer.data(), m_buffer.data() + m_buffer.size()); }

OutputBuffer::~OutputBuffer() { Drain(); }

OutputBuffer::int_type OutputBuffer::overflow(int_type ch) {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

int OutputBuffer::sync() { return Drain() ? 0 : -1; }

bool OutputBuffer::Drain() {
    const char* next = pbase();
    size_t left = static_cast<size_t>(pptr() - pbase());
    while (left > 0 && m_failure == 0) {
        const ssize_t n = ::write(m_fd, next, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            m_failure = n < 0 ? errno : EIO;
            break;
        }
        next += n;
        left -= static_cast<size_t>(n);
    }
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return m_failure == 0;
}

}  // namespace kelvadeck
