#include "text_encoding.h"

#include <cstdint>

namespace korvo {

namespace {

// Code points of the bytes 0x80..0x9F; 0 marks the five bytes Windows-1252 leaves
// undefined, which are shown as U+FFFD.
constexpr std::uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char Cp1252Byte(std::uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == cp) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte <= 0x9F) {
            const std::uint16_t cp = kHighControls[byte - 0x80];
            AppendUtf8(out, cp != 0 ? cp : 0xFFFD);
        } else {
            AppendUtf8(out, byte);
        }
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = 1;
        std::uint32_t cp = lead;
        if (lead >= 0xC0 && lead < 0xE0) { length = 2; cp = lead & 0x1F; }
        else if (lead >= 0xE0 && lead < 0xF0) { length = 3; cp = lead & 0x0F; }
        else if (lead >= 0xF0 && lead < 0xF8) { length = 4; cp = lead & 0x07; }
        else if (lead >= 0x80) { out += '?'; ++i; continue; }
        if (i + static_cast<std::size_t>(length) > text.size()) { out += '?'; break; }
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) { valid = false; break; }
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!valid) { out += '?'; ++i; continue; }
        out += Cp1252Byte(cp);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

}  // namespace korvo
