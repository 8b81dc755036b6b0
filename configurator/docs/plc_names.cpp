#include "plc_names.h"

#include "station/text_encoding.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace korvo {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return text;
}

// Windows-1252 letters a PLC programmer reads the same way spelled in ASCII.
const char* Spelled(unsigned char c) {
    switch (c) {
        case 0xC4: return "Ae";
        case 0xD6: return "Oe";
        case 0xDC: return "Ue";
        case 0xE4: return "ae";
        case 0xF6: return "oe";
        case 0xFC: return "ue";
        case 0xDF: return "ss";
        default: return nullptr;
    }
}

}  // namespace

bool IsIecIdentifier(const std::string& text) {
    if (text.empty()) return false;
    if (IsAsciiDigit(text.front()) || text.back() == '_') return false;
    if (text == "_") return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            if (i > 0 && text[i - 1] == '_') return false;
        } else if (!IsAsciiLetter(c) && !IsAsciiDigit(c)) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> StationNameWarning(const std::string& stationName) {
    std::string characters;
    int count = 0;
    for (const char c : stationName) {
        if (IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || Spelled(static_cast<unsigned char>(c)) != nullptr) {
            continue;
        }
        const std::string shown = c == ' ' ? std::string("blank") : "\"" + std::string(1, c) + "\"";
        if (characters.find(shown) != std::string::npos) continue;
        characters += (characters.empty() ? "" : ", ") + shown;
        ++count;
    }
    const bool leadingDigit = !stationName.empty() && IsAsciiDigit(stationName.front());
    if (count == 0 && !leadingDigit) return std::nullopt;
    std::string what = characters;
    if (leadingDigit) what += (what.empty() ? "" : " and ") + std::string("a leading digit");
    return "station name: " + what + (count + (leadingDigit ? 1 : 0) > 1 ? " do" : " does") +
           " not fit into tag names; IEC names write " + IecIdentifier(stationName) + " instead";
}

std::string IecIdentifier(const std::string& tag) {
    std::string name;
    for (const char c : tag) {
        if (IsAsciiLetter(c) || IsAsciiDigit(c)) {
            name += c;
        } else if (const char* spelled = Spelled(static_cast<unsigned char>(c))) {
            name += spelled;
        } else if (name.empty() || name.back() != '_') {
            name += '_';
        }
    }
    while (!name.empty() && name.back() == '_') name.pop_back();
    if (name.empty()) return "Tag";
    if (IsAsciiDigit(name.front())) name.insert(name.begin(), '_');
    return name;
}

std::vector<std::string> AssignIecIdentifiers(const std::vector<std::string>& tags, std::vector<std::string>& notes) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const std::string& tag : tags) taken.insert(Lower(IecIdentifier(tag)));
    std::set<std::string> used;
    for (const std::string& tag : tags) {
        const std::string base = IecIdentifier(tag);
        std::string name = base;
        // A later duplicate gets the next suffix that neither an earlier name nor another
        // tag's own name claims.
        for (int n = 2; used.count(Lower(name)) > 0 || (name != base && taken.count(Lower(name)) > 0); ++n) {
            name = base + "_" + std::to_string(n);
        }
        used.insert(Lower(name));
        if (name != tag) {
            notes.push_back("\"" + Cp1252ToUtf8(tag) + "\" is declared as " + name +
                            (name != base ? " (the name " + base + " was taken)" : ""));
        }
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace korvo
