#pragma once

#include <string>

namespace kelvadeck {

// hidapi reports errors as wide strings; the configurator shows UTF-8.
class HidapiText {
public:
    // UTF-8 of a wide string; null gives an empty string. Code points that are
    // not valid Unicode become U+FFFD.
    static std::string ToUtf8(const wchar_t* text);
};

}  // namespace kelvadeck
