#pragma once
// The dotted texts of the configurator: four decimal groups for an IP address, mask or
// gateway, six hexadecimal groups for a MAC address. Every address the configurator
// uses is read here, so "192.168.001.010" is 192.168.1.10 everywhere (the system's
// resolver would read the groups with a leading zero as octal). Missing last groups
// repeat the last group present, so "10.1.2" is 10.1.2.2 in the BOOTP window.

#include <array>
#include <cstdint>
#include <optional>
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

// The address to hand to sockets and node names: a text of four decimal groups
// written without leading zeros ("192.168.1.10"); any other text (a host name, a
// broken address) as it is, so its own error is reported where it is used.
std::string DecimalAddress(const std::string& text);

// The four bytes of a text of exactly four decimal groups, or nothing.
std::optional<std::array<std::uint8_t, 4>> FourGroupAddress(const std::string& text);

// What is doubtful about a coupler's settings, or nothing: a subnet mask whose one
// bits do not all come first (255.0.255.0), a gateway outside the address's subnet.
// Texts that are no address, an empty gateway and 0.0.0.0 are not judged here.
std::optional<std::string> NetworkSettingsWarning(const std::string& ip, const std::string& mask,
                                                  const std::string& gateway);

}  // namespace korvo
