#include "cli/TerminalText.h"

#include <cstdio>

#include "model/TextConvert.h"

namespace kelvadeck {

namespace {

std::string Hex(const char* format, unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string Escaped(std::string_view text, bool quoting) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const size_t length = TextConvert::DecodeUtf8(text, i, cp);
        if (length == 0) {
            out += Hex("\\x%02X", static_cast<unsigned char>(text[i]));  // no UTF-8
            ++i;
            continue;
        }
        if (cp == '\n') {
            out += "\\n";
        } else if (cp == '\r') {
            out += "\\r";
        } else if (cp == '\t') {
            out += "\\t";
        } else if (cp < 0x20 || cp == 0x7F) {
            out += Hex("\\x%02X", static_cast<unsigned>(cp));
        } else if (cp >= 0x80 && cp < 0xA0) {
            out += Hex("\\u%04X", static_cast<unsigned>(cp));  // C1 controls
        } else if (quoting && (cp == '"' || cp == '\\')) {
            out.push_back('\\');
            out.push_back(static_cast<char>(cp));
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}

}  // namespace

std::string TerminalText::Escape(std::string_view text) { return Escaped(text, false); }

std::string TerminalText::Quote(std::string_view text) { return "\"" + Escaped(text, true) + "\""; }

}  // namespace kelvadeck
