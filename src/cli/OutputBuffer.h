#pragma once

#include <array>
#include <streambuf>

namespace kelvadeck {

// Standard output written with write(2), so that a failed write keeps its
// reason (a full disk, a file size limit): a stream only remembers that
// something failed. kelvadeck-cli prints everything through it and ends with
// an error when any of its output did not arrive.
class OutputBuffer : public std::streambuf {
public:
    explicit OutputBuffer(int fd);
    ~OutputBuffer() override;
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // The errno of the first write that failed; 0 while every one succeeded.
    // Output after a failure is dropped.
    int Failure() const { return m_failure; }

protected:
    int_type overflow(int_type ch) override;
    int sync() override;

private:
    bool Drain();

    int m_fd;
    int m_failure = 0;
    std::array<char, 8192> m_buffer{};
};

}  // namespace kelvadeck
