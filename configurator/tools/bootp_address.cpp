#include "bootp_address.h"

#include "station/versch.h"

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

}  // namespace korvo
