#pragma once
// One placed module: the type data copied from the catalogue, its place in the
// station list and in its station's process image, and the texts its properties
// dialog and the I/O test write. The drawing lives in the station view.

#include <array>
#include <cstdint>
#include <string>

namespace korvo {

// The read and write methods the I/O test runs for a module, bound from the
// catalogue codes. None is the empty method.
enum class ReadProcKind { None, Method1, Method3 };
enum class WriteProcKind { None, Method1, Method2, Method3, Method4, Method5 };

struct TTagNamen {
    std::string name;
};

// What a module's properties window keeps of it while the program runs, so a window
// opened for one module never starts with what was chosen for another of the type.
// Not saved in the project.
struct ModuleDialogState {
    // Multi-channel temperature modules: the ticked outputs "DO1".."DO8", the unit
    // chosen, the channel whose configuration command goes out next, whether every
    // channel's went out since the last apply command, and the units (bit per channel,
    // set for Fahrenheit) of the configuration commands sent and of those applied.
    std::uint8_t outputBits = 0;
    bool fahrenheit = false;
    int configurationChannel = 0;
    bool passComplete = false;
    std::uint8_t configuredFahrenheit = 0;
    std::uint8_t appliedFahrenheit = 0;
    // Analog outputs: the range option and the value text of each channel as last
    // sent into OutputData (empty: nothing sent yet).
    std::array<int, 2> outputRange{};
    std::array<std::string, 2> outputValue{};
};

struct TModul {
    static constexpr int kLedCount = 32;
    static constexpr int kCommentCount = 32;
    static constexpr int kChannelCount = 8;

    // What the I/O cycle reads and writes of every module in every cycle comes
    // first and together, so a cycle touches few cache lines per module.
    int ModulZuStations = 0;
    int Input = 0;
    int output = 0;
    int ByteOffsetInput = 0;
    int ByteOffsetOutput = 0;
    ReadProcKind ReadProc = ReadProcKind::None;
    WriteProcKind WriteProc = WriteProcKind::None;
    std::string ModulType;
    std::string InputData;
    std::string InputHex;
    std::string OutputData;
    // Arrays are 1-based as the station's data are: index 0 is unused.
    std::array<std::uint16_t, kLedCount + 1> LedWeight{};
    std::uint32_t BitValue = 0;
    int breite = 0;
    std::uint8_t slots = 0;
    std::uint8_t id_code = 0;
    std::uint8_t lenght_code = 0;
    std::array<std::int32_t, kChannelCount + 1> ChannelValue{};
    int tag_anzahl_input = 0;
    int tag_anzahl_output = 0;
    std::array<TTagNamen, kLedCount + 1> TagNames{};
    int Parameter_input = 0;
    int Parameter_output = 0;
    int Nummer = 0;
    int StationsNummmer = 0;
    std::string Parameter;
    std::array<std::string, kCommentCount + 1> ParameterComment{};
    std::string IPAddress;
    std::string Subnet_Maske;
    std::string Gate_way;
    std::string MACAddress;
    std::string StationName;
    int ReadMethode = 0;
    int WriteMethode = 0;
    std::string imageFile;
    std::string ClickImageFile;
    int MuxChannel = 0;
    ModuleDialogState DialogState;

    bool IsCoupler() const { return StationsNummmer > 0; }
    // The LEDs a 16-bit input value lights: bit n-1 is set for LED n when the
    // value shares a bit with that LED's weight.
    std::uint32_t LitLeds(std::uint32_t inputValue) const;
    // Number of ParameterComment entries that belong to the project file, at most 32.
    int CommentCount() const;
    // First input byte in the station's input image (0-based); ByteOffsetInput is the end.
    int InputStart() const { return ByteOffsetInput - Input; }
    int OutputStart() const { return ByteOffsetOutput - output; }
};

}  // namespace korvo
