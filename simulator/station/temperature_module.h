#pragma once
// A multi-channel temperature module (TC 4, TC 8, RT 6) on the simulated bus. It
// takes the configuration command of each channel (sensor code and unit), makes them
// effective with the apply command, and answers the read command of a channel pair
// with drifting temperatures in tenths of a degree, in Fahrenheit once that unit has
// been applied to the channel.

#include <array>
#include <cstdint>
#include <string>

namespace korvo::sim {

// A temperature in tenths of a degree Celsius that drifts slowly around a base value
// of its own for each channel (0-based).
uint16_t DriftingTemperature(double seconds, int channel);

class TemperatureModule {
public:
    static constexpr std::size_t kRecordBytes = 12;
    static constexpr int kMaxChannels = 8;

    struct Channel {
        int sensor = 0;
        bool fahrenheit = false;
    };

    // Takes the command record of the module's twelve output bytes.
    void Take(const uint8_t* record);
    // Writes the answer to the last read command into the twelve input bytes; false
    // (and nothing written) while the last command was no read command.
    bool Answer(double seconds, uint8_t* response) const;
    // The error byte channel 1..8 reports from now on (0: none).
    void SetError(int channel, uint8_t code);
    // Channel 1..8 as the last apply command left it.
    const Channel& Applied(int channel) const { return applied_.at(static_cast<std::size_t>(channel - 1)); }

private:
    std::array<Channel, kMaxChannels> pending_{};
    std::array<Channel, kMaxChannels> applied_{};
    std::array<uint8_t, kMaxChannels> errors_{};
    uint8_t command_ = 0;
};

// What a command record asks, for the simulator's log: "read channels 3-4 (outputs
// 81)", "configure channel 2: sensor 4, Fahrenheit", "apply configuration"; empty for
// a record that is no command.
std::string DescribeTemperatureCommand(const uint8_t* record);

}  // namespace korvo::sim
