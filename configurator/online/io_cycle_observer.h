#pragma once
// What the I/O cycle tells a listener (the commissioning record, the trends, the event
// log): the images it exchanged with the coupler, and where the test started, lost and
// found the coupler again, and switched its outputs off.

#include <cstdint>
#include <string>

namespace korvo {

class IoCycleObserver {
public:
    virtual ~IoCycleObserver() = default;
    // The I/O test starts; the images that follow are where it starts from.
    virtual void TestStarted() {}
    // The station's input image was read; length bytes from offset 0.
    virtual void InputsRead(const std::uint8_t* image, int length) = 0;
    // A module whose channels are read one per cycle filled channel (1-based) of the
    // module in slot with value; called after InputsRead of the same cycle.
    virtual void ChannelRead(int slot, int channel, std::int32_t value) = 0;
    // The output image reached the coupler in this cycle.
    virtual void OutputsWritten(const std::uint8_t* image, int length) = 0;
    // The cycle is over, whatever it reached; what it read and wrote is complete.
    virtual void CycleEnded() {}
    // A read or write error stopped the I/O test; status is the text of panel 1.
    virtual void CycleStopped(const std::string& status) = 0;
    // The coupler answers again after a lost connection; the images that follow are
    // what it shows after the gap.
    virtual void Reconnected() {}
    // The test ended and this image, with the station's outputs off, reached the coupler.
    virtual void OutputsSwitchedOff(const std::uint8_t* /*image*/, int /*length*/) {}
};

}  // namespace korvo
