#include "message_text.h"

#include <cstdio>

namespace korvo {

namespace {

bool Printable(unsigned char c) {
    if (c < 0x20 || c == 0x7F) return false;
    return c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D;
}

}  // namespace

std::string MessageText(std::string_view text, std::size_t limit) {
    const std::string_view shown = text.substr(0, limit);
    std::string result;
    result.reserve(shown.size() + 24);
    for (const char ch : shown) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            result += "\\\\";
        } else if (Printable(c)) {
            result += ch;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            result += escaped;
        }
    }
    if (shown.size() < text.size()) result += "... (" + std::to_string(text.size()) + " characters)";
    return result;
}

}  // namespace korvo
