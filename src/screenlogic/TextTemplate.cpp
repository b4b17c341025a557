#include "screenlogic/TextTemplate.h"

#include <vector>

namespace kelvadeck {

std::string TextTemplate::Fill(std::string_view text, std::initializer_list<std::string_view> args) {
    const std::vector<std::string_view> values(args);
    std::string out;
    out.reserve(text.size() + 32);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const size_t n = static_cast<size_t>(text[i + 1] - '1');
            if (n < values.size()) {
                out.append(values[n]);
                ++i;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}

}  // namespace kelvadeck
