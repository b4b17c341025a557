#pragma once

#include <functional>
#include <string>
#include <utility>

namespace kelvadeck {

// Plain log lines, prefixed by the component that writes them ("USBHID : ...").
// The programs decide where the lines go (system log, stderr with --verbose);
// the core only hands them over. A default-constructed logger drops lines.
class Logger {
public:
    using Sink = std::function<void(const std::string&)>;

    Logger() = default;
    explicit Logger(Sink sink) : m_sink(std::move(sink)) {}

    void SetSink(Sink sink) { m_sink = std::move(sink); }
    void Write(const std::string& line) const {
        if (m_sink) m_sink(line);
    }

private:
    Sink m_sink;
};

}  // namespace kelvadeck
