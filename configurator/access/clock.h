#pragma once
// Time as the online functions see it: a millisecond tick count and a pause. The
// program uses the real clock; tests drive a fake one so waits cost no time.

#include <cstdint>

namespace korvo {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t TickMs() = 0;
    virtual void SleepMs(std::uint32_t ms) = 0;
};

// The steady system clock.
Clock& SystemClock();

}  // namespace korvo
