#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvadeck {

// Names on the device are UTF-16 code units; the terminal, files and JSON use
// UTF-8. Each unpaired surrogate, and each byte that is not part of a
// well-formed UTF-8 character, becomes one U+FFFD, and the text after it is
// converted as usual; so any stored name can be shown, and any user text can
// be stored.
struct TextConvert {
    static std::string Utf16ToUtf8(std::u16string_view text);
    static std::u16string Utf8ToUtf16(std::string_view text);
    // A wide string from a system library (hidapi's error texts: UTF-32, or
    // UTF-16 where wchar_t has 16 bits) as UTF-8; null gives an empty string.
    static std::string WideToUtf8(const wchar_t* text);

    // The well-formed UTF-8 character at text[at]: its length in bytes (1 to
    // 4), its code point in cp. 0 when the bytes there are none (a stray
    // continuation byte, a sequence cut off or overlong, a surrogate, a value
    // beyond U+10FFFF, or at the end of text).
    static size_t DecodeUtf8(std::string_view text, size_t at, char32_t& cp);
};

}  // namespace kelvadeck
