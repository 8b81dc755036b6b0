#pragma once
// Faults on single measuring channels of the simulated analog modules: the channel
// reports a diagnostic word (e.g. 0x8002, a broken wire) instead of its value.

#include "korvo_sim/message.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvo::sim {

struct BusModule;

struct ChannelFault {
    int slot = 0;     // the module's slot in the project (1..161)
    int channel = 0;  // 1-based
    uint16_t code = 0;
};

// "SLOT:CH:CODE" with a decimal or 0x-hexadecimal code; nothing when malformed.
std::optional<ChannelFault> ParseChannelFault(const std::string& text);

// Puts the codes of the module's faulty channels into its input bytes. A multiplexed
// AI 8 shows a fault when it answers that channel.
void ApplyChannelFaults(const std::vector<ChannelFault>& faults, const BusModule& module, Bytes& inputs,
                        const Bytes& outputs);

// What an analog output module's bytes mean, e.g. " = 50.0 % of the range" for an
// AO 1; empty for other types.
std::string AnalogOutputMeaning(const BusModule& module, const Bytes& bytes);

}  // namespace korvo::sim
