#pragma once

#include <string>
#include <string_view>

namespace kelvadeck {

// Names on the device are UTF-16 code units; the terminal, files and JSON use
// UTF-8. Unpaired surrogates and malformed UTF-8 become U+FFFD, so any stored
// name can be shown, and any user text can be stored.
struct TextConvert {
    static std::string Utf16ToUtf8(std::u16string_view text);
    static std::u16string Utf8ToUtf16(std::string_view text);
};

}  // namespace kelvadeck
