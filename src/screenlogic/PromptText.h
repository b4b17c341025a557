#pragma once

#include <string>

namespace kelvadeck {

// A message box's text in two parts: the headline (its first sentence or
// line) and the explanation that follows.
class PromptText {
public:
    struct Parts {
        std::string headline;
        std::string explanation;
    };
    // Splits after the first line, or after the first sentence that ends
    // in ".", "?" or "!" followed by a space, or in "。" (Japanese). A text
    // of one sentence is all headline.
    static Parts Split(const std::string& text);
};

}  // namespace kelvadeck
