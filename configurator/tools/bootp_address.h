#pragma once
// The dotted texts of the BOOTP window's address fields: four decimal groups for an
// IP address, mask or gateway, six hexadecimal groups for a MAC address. Missing last
// groups repeat the last group present, so "10.1.2" is 10.1.2.2.

#include <array>
#include <cstdint>
#include <string>

namespace korvo {

enum class GroupBase { Decimal, Hexadecimal };

struct ParsedAddress {
    bool ok = false;
    std::array<std::uint8_t, 6> bytes{};
    // Why the text was refused, for the log: "group 3 \"256\" is out of range 0..255".
    std::string why;
};

// Reads `groups` groups (at most six) separated by "."; blanks around a group do not
// count. An empty text or group, a group that is not a number of the base or lies
// outside 0..255, and text beyond the last group refuse the whole text.
ParsedAddress ParseAddressText(const std::string& text, int groups, GroupBase base);

inline ParsedAddress ParseIpText(const std::string& text) {
    return ParseAddressText(text, 4, GroupBase::Decimal);
}
inline ParsedAddress ParseMacText(const std::string& text) {
    return ParseAddressText(text, 6, GroupBase::Hexadecimal);
}

}  // namespace korvo
