#include "screenlogic/PromptText.h"

#include <algorithm>
#include <string_view>

namespace kelvadeck {

namespace {

std::string Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \n");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \n");
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace

PromptText::Parts PromptText::Split(const std::string& text) {
    size_t end = text.find('\n');
    for (const char* stop : {". ", "? ", "! "}) {
        if (const size_t at = text.find(stop); at != std::string::npos) end = std::min(end, at + 1);
    }
    const std::string_view fullStop = "\xE3\x80\x82";  // 。
    if (const size_t jp = text.find(fullStop); jp != std::string::npos) end = std::min(end, jp + fullStop.size());
    if (end >= text.size()) return {Trimmed(text), {}};
    return {Trimmed(std::string_view(text).substr(0, end)), Trimmed(std::string_view(text).substr(end))};
}

}  // namespace kelvadeck
