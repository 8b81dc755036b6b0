#pragma once
// The system clock whose pauses go through a CallWaiter: in the window, the error
// reset's and the restart's pauses keep the event loop turning and can be cancelled.

#include "call_runner.h"
#include "clock.h"

namespace korvo {

class WaitingClock final : public Clock {
public:
    explicit WaitingClock(CallWaiter& waiter) : waiter_(waiter) {}
    std::uint64_t TickMs() override { return SystemClock().TickMs(); }
    void SleepMs(std::uint32_t ms) override { waiter_.Pause(ms); }

private:
    CallWaiter& waiter_;
};

}  // namespace korvo
