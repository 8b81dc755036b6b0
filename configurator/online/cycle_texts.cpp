#include "online/cycle_texts.h"

#include "access/ddi_funktionen.h"
#include "station/versch.h"

#include <algorithm>
#include <cstring>

namespace korvo {

namespace {

// Every byte value's decimal and hex list item, comma included, worked out
// once: the input lists are formatted for every input module in every cycle.
struct ByteItems {
    std::array<std::array<char, 4>, 256> decimal{};
    std::array<std::uint8_t, 256> decimalLength{};
    std::array<std::array<char, 3>, 256> hex{};
};

constexpr ByteItems MakeByteItems() {
    constexpr char kDigits[] = "0123456789ABCDEF";
    ByteItems items;
    for (unsigned value = 0; value < 256; ++value) {
        auto& decimal = items.decimal[value];
        std::uint8_t length = 0;
        if (value >= 100) decimal[length++] = kDigits[value / 100];
        if (value >= 10) decimal[length++] = kDigits[value / 10 % 10];
        decimal[length++] = kDigits[value % 10];
        decimal[length++] = ',';
        items.decimalLength[value] = length;
        items.hex[value] = {kDigits[value >> 4], kDigits[value & 0xF], ','};
    }
    return items;
}

constexpr ByteItems kByteItems = MakeByteItems();

constexpr std::string_view kDateLabel = "  Date ";

}  // namespace

void SetByteLists(const std::uint8_t* bytes, int count, std::string& decimal, std::string& hex) {
    constexpr int kMax = static_cast<int>(ControllerAccess::kImageSize);
    // Each decimal item is copied as four characters and the end moves by its
    // length; with four characters per byte the copy always fits.
    char decimalBuffer[4 * kMax];
    char hexBuffer[3 * kMax];
    char* d = decimalBuffer;
    char* h = hexBuffer;
    for (int i = 0; i < std::min(count, kMax); ++i) {
        const std::uint8_t value = bytes[i];
        std::memcpy(d, kByteItems.decimal[value].data(), 4);
        d += kByteItems.decimalLength[value];
        std::memcpy(h, kByteItems.hex[value].data(), 3);
        h += 3;
    }
    const std::string_view newDecimal(decimalBuffer, static_cast<std::size_t>(d - decimalBuffer));
    const std::string_view newHex(hexBuffer, static_cast<std::size_t>(h - hexBuffer));
    if (!SameText(decimal, newDecimal)) decimal = newDecimal;
    if (!SameText(hex, newHex)) hex = newHex;
}

void AssignDataLine(std::string& line, std::string_view type, std::string_view data) {
    // One size change and three copies: the cycle writes one line per module.
    line.resize(type.size() + kDateLabel.size() + data.size());
    char* at = line.data();
    std::memcpy(at, type.data(), type.size());
    at += type.size();
    std::memcpy(at, kDateLabel.data(), kDateLabel.size());
    std::memcpy(at + kDateLabel.size(), data.data(), data.size());
}

[[gnu::hot]] const std::string& InputTexts::Update(int slot, TModul& module, const std::uint8_t* bytes) {
    Seen& seen = seen_[static_cast<std::size_t>(slot)];
    const std::string_view raw(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(module.Input));
    // The line was made of the kept type and hex list.
    const bool unchanged = SameText(seen.bytes, raw) && SameText(module.InputData, seen.decimal) &&
                           SameText(module.InputHex, seen.hex) && SameText(module.ModulType, seen.type);
    if (unchanged) return seen.line;
    SetByteLists(bytes, module.Input, module.InputData, module.InputHex);
    seen.bytes.assign(raw);
    seen.decimal = module.InputData;
    seen.hex = module.InputHex;
    seen.type = module.ModulType;
    AssignDataLine(seen.line, module.ModulType, module.InputHex);
    return seen.line;
}

}  // namespace korvo
