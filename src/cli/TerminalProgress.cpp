#include "cli/TerminalProgress.h"

#include <utility>

namespace kelvadeck {

namespace {
constexpr int kWidth = 40;
}

TerminalProgress::TerminalProgress(std::ostream& out, bool enabled, std::string label)
    : m_out(out), m_enabled(enabled), m_label(std::move(label)) {}

TerminalProgress::~TerminalProgress() { Finish(); }

void TerminalProgress::Update(int32_t count, int32_t max) {
    if (!m_enabled || max <= 0) return;
    const int permille = static_cast<int>(static_cast<int64_t>(count) * 1000 / max);
    // Redraw only when the picture changes: a backup has 33,826 answers.
    if (permille == m_lastPermille && count != max) return;
    m_lastPermille = permille;
    const int filled = permille * kWidth / 1000;
    m_out << "\r" << m_label << " [" << std::string(static_cast<size_t>(filled), '#')
          << std::string(static_cast<size_t>(kWidth - filled), '.') << "] " << count << "/" << max << std::flush;
    m_drawn = true;
}

void TerminalProgress::Finish() {
    if (m_drawn) m_out << "\n" << std::flush;
    m_drawn = false;
    m_lastPermille = -1;
}

}  // namespace kelvadeck
