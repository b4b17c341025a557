#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace kelvadeck {

// A one-line progress bar ("backup [#####.....]  1234/33826") redrawn in place
// on a terminal; draws nothing when disabled (output is not a terminal).
class TerminalProgress {
public:
    TerminalProgress(std::ostream& out, bool enabled, std::string label);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void Update(int32_t count, int32_t max);
    // Ends the line if anything was drawn.
    void Finish();

private:
    std::ostream& m_out;
    bool m_enabled;
    std::string m_label;
    int m_lastPermille = -1;
    bool m_drawn = false;
};

}  // namespace kelvadeck
