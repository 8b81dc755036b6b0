#include "dotted_address.h"

#include "versch.h"

namespace korvo {

namespace {

int DigitValue(char c, GroupBase base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == GroupBase::Hexadecimal) {
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    }
    return -1;
}

// The value of one group, or the reason it has none.
bool GroupValue(const std::string& group, GroupBase base, std::uint8_t& value, std::string& why) {
    if (group.empty()) {
        why = "is empty";
        return false;
    }
    unsigned total = 0;
    for (const char c : group) {
        const int digit = DigitValue(c, base);
        if (digit < 0) {
            why = base == GroupBase::Decimal ? "is not a decimal number" : "is not a hexadecimal number";
            return false;
        }
        total = total * (base == GroupBase::Decimal ? 10u : 16u) + static_cast<unsigned>(digit);
        if (total > 255) {
            why = "is out of range 0..255";
            return false;
        }
    }
    value = static_cast<std::uint8_t>(total);
    return true;
}

}  // namespace

ParsedAddress ParseAddressText(const std::string& text, int groups, GroupBase base) {
    ParsedAddress result;
    std::string rest = text;
    TrimBlanks(rest);
    if (rest.empty()) {
        result.why = "is empty";
        return result;
    }
    std::string item;
    for (int g = 0; g < groups && g < static_cast<int>(result.bytes.size()); ++g) {
        NextItemTrimmed(rest, '.', item);
        std::string why;
        if (!GroupValue(item, base, result.bytes[static_cast<std::size_t>(g)], why)) {
            result.why = "group " + std::to_string(g + 1) + " \"" + item + "\" " + why;
            return result;
        }
    }
    // A fifth group is a typing error, not something to drop silently.
    if (!rest.empty()) {
        result.why = "has more than " + std::to_string(groups) + " groups";
        return result;
    }
    result.ok = true;
    return result;
}

std::optional<std::array<std::uint8_t, 4>> FourGroupAddress(const std::string& text) {
    // Three dots exactly: a shorter text is no complete address outside the BOOTP window.
    std::size_t dots = 0;
    for (const char c : text) dots += c == '.' ? 1 : 0;
    if (dots != 3) return std::nullopt;
    const ParsedAddress parsed = ParseIpText(text);
    if (!parsed.ok) return std::nullopt;
    return std::array<std::uint8_t, 4>{parsed.bytes[0], parsed.bytes[1], parsed.bytes[2], parsed.bytes[3]};
}

std::string DecimalAddress(const std::string& text) {
    const auto bytes = FourGroupAddress(text);
    if (!bytes) return text;
    return std::to_string((*bytes)[0]) + "." + std::to_string((*bytes)[1]) + "." + std::to_string((*bytes)[2]) + "." +
           std::to_string((*bytes)[3]);
}

namespace {

std::uint32_t Value(const std::array<std::uint8_t, 4>& bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

}  // namespace

std::optional<std::string> NetworkSettingsWarning(const std::string& ip, const std::string& mask,
                                                  const std::string& gateway) {
    const auto maskBytes = FourGroupAddress(mask);
    if (!maskBytes) return std::nullopt;
    const std::uint32_t maskValue = Value(*maskBytes);
    // Contiguous: the inverted mask plus one is a power of two.
    const std::uint32_t hostBits = ~maskValue;
    if ((hostBits & (hostBits + 1)) != 0) {
        return "subnet mask " + DecimalAddress(mask) + " is not contiguous: its one bits must all come first";
    }
    const auto ipBytes = FourGroupAddress(ip);
    const auto gatewayBytes = FourGroupAddress(gateway);
    if (!ipBytes || !gatewayBytes || Value(*gatewayBytes) == 0) return std::nullopt;
    if ((Value(*ipBytes) & maskValue) != (Value(*gatewayBytes) & maskValue)) {
        return "gateway " + DecimalAddress(gateway) + " lies outside the subnet of " + DecimalAddress(ip) + " / " +
               DecimalAddress(mask);
    }
    return std::nullopt;
}

}  // namespace korvo
