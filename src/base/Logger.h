#pragma once

#include <functional>
#include <string>
#include <utility>

namespace kelvadeck {

// Plain log lines, prefixed by the component that writes them ("USBHID : ..."),
// each with a severity: debug for the per-report and per-chunk chatter and the
// screens' traces, info for a job's start and end and a device's arrival,
// warning for what the device refused or did not answer, error for a job
// that had to be given up. The programs decide where the lines go and from
// which level on (system log, stderr with --verbose); the core only hands them
// over. A default-constructed logger drops lines.
class Logger {
public:
    enum class Level { Debug, Info, Warning, Error };
    using Sink = std::function<void(Level, const std::string&)>;
    // Takes every line, whatever its level (the tests' recorders).
    using LineSink = std::function<void(const std::string&)>;

    Logger() = default;
    explicit Logger(Sink sink) : m_sink(std::move(sink)) {}
    explicit Logger(LineSink sink) : m_sink(AllLevels(std::move(sink))) {}

    void SetSink(Sink sink) { m_sink = std::move(sink); }
    void SetSink(LineSink sink) { m_sink = AllLevels(std::move(sink)); }

    void Write(Level level, const std::string& line) const {
        if (m_sink) m_sink(level, line);
    }
    void Write(const std::string& line) const { Write(Level::Info, line); }
    void Debug(const std::string& line) const { Write(Level::Debug, line); }
    void Warning(const std::string& line) const { Write(Level::Warning, line); }
    void Error(const std::string& line) const { Write(Level::Error, line); }

private:
    static Sink AllLevels(LineSink sink) {
        if (!sink) return {};
        return [sink = std::move(sink)](Level, const std::string& line) { sink(line); };
    }

    Sink m_sink;
};

}  // namespace kelvadeck
