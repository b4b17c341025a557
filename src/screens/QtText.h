#pragma once

#include <QString>
#include <string>

namespace kelvadeck {

// A text of the string table (UTF-8) as a Qt control shows it.
inline QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace kelvadeck
