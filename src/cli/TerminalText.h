#pragma once

#include <string>
#include <string_view>

namespace kelvadeck {

// Text from outside (names stored on a device, values read from a file, paths)
// made safe to print on a terminal and in listings that are read back: control
// characters (C0, DEL and C1, ESC among them) and bytes that are no UTF-8
// become escapes, so such text can neither move the cursor, recolour or retitle
// the terminal nor break a line. Other characters, Japanese ones among them,
// stay as they are.
struct TerminalText {
    // \n, \r and \t as such; other control characters and stray bytes as
    // \xHH; C1 characters as \u0080..\u009F.
    static std::string Escape(std::string_view text);
    // Escape within double quotes, with " and \ escaped as \" and \\, so that
    // two different texts never look alike and the quoted text stays one
    // word of its line.
    static std::string Quote(std::string_view text);
};

}  // namespace kelvadeck
