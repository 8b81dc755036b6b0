#include "channel_fault.h"

#include "image_words.h"
#include "simulated_station.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace korvo::sim {

namespace {

constexpr int kMaxSlot = 161;
constexpr int kMaxChannel = 8;
constexpr int kMultiplexBase = 0x50;

std::optional<long> Number(std::string_view text, int base) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<ChannelFault> ParseChannelFault(const std::string& text) {
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos) return std::nullopt;
    const std::string_view all(text);
    const auto slot = Number(all.substr(0, first), 10);
    const auto channel = Number(all.substr(first + 1, second - first - 1), 10);
    std::string_view codeText = all.substr(second + 1);
    const bool hex = codeText.starts_with("0x") || codeText.starts_with("0X");
    const auto code = Number(hex ? codeText.substr(2) : codeText, hex ? 16 : 10);
    if (!slot || !channel || !code || *slot < 1 || *slot > kMaxSlot || *channel < 1 ||
        *channel > kMaxChannel || *code < 0 || *code > 0xFFFF)
        return std::nullopt;
    return ChannelFault{static_cast<int>(*slot), static_cast<int>(*channel), static_cast<uint16_t>(*code)};
}

void ApplyChannelFaults(const std::vector<ChannelFault>& faults, const BusModule& module, Bytes& inputs,
                        const Bytes& outputs) {
    for (const ChannelFault& fault : faults) {
        if (fault.slot != module.slot) continue;
        int offset = module.inStart + 2 * (fault.channel - 1);
        if (module.type == "KORVO AI 8") {
            const int request = ImageWord(outputs, module.outStart) >> 8;
            const int answered =
                request >= kMultiplexBase ? std::min(request - kMultiplexBase, kMaxChannel - 1) : 0;
            if (answered != fault.channel - 1) continue;
            offset = module.inStart + 2;
        } else if (2 * fault.channel > module.in) {
            continue;
        }
        PutImageWord(inputs, offset, fault.code);
    }
}

std::string AnalogOutputMeaning(const BusModule& module, const Bytes& bytes) {
    char text[64];
    if (module.type == "KORVO AO 1" && bytes.size() >= 2) {
        std::snprintf(text, sizeof text, " = %.1f %% of the output range",
                      100.0 * readBe16(bytes, 0) / 65535.0);
        return text;
    }
    if (module.type == "KORVO AO 2V" && bytes.size() >= 4) {
        const auto volts = [&](std::size_t offset) {
            return static_cast<int16_t>(readBe16(bytes, offset)) / 3000.0;
        };
        std::snprintf(text, sizeof text, " = %.3f V, %.3f V", volts(0), volts(2));
        return text;
    }
    return {};
}

}  // namespace korvo::sim
