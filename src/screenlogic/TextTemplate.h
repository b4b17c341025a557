#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kelvadeck {

// Fills the numbered places of a text from the string table: "%1", "%2" ...
// are replaced by the arguments in order of their number; a place without an
// argument stays as it is, so a missing argument is visible rather than blank.
class TextTemplate {
public:
    static std::string Fill(std::string_view text, std::initializer_list<std::string_view> args);
};

}  // namespace kelvadeck
