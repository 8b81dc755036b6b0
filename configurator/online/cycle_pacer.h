#pragma once
// The I/O test's interval and what happens when a cycle does not fit in it: the test
// says so and waits for the next turn of its timer rather than catching up, so the
// coupler never sees cycles queued behind a slow one.

#include <array>
#include <chrono>
#include <string>

namespace korvo {

class CyclePacer {
public:
    static constexpr int kDefaultIntervalMs = 1000;
    static constexpr std::array<int, 4> kIntervalsMs{1000, 500, 250, 100};

    explicit CyclePacer(int intervalMs = kDefaultIntervalMs) { SetInterval(intervalMs); }

    // One of kIntervalsMs; anything else is taken as the default.
    void SetInterval(int intervalMs);
    int IntervalMs() const { return intervalMs_; }
    static bool Offered(int intervalMs);

    // A cycle took this long; true when it did not fit its interval.
    bool CycleTook(std::chrono::steady_clock::duration took);
    // "cycle took 312 ms, longer than the 250 ms interval: the test waits for the next turn";
    // empty after a cycle that fitted.
    const std::string& OverrunText() const { return overrun_; }
    int Overruns() const { return overruns_; }
    // The longest cycle so far, in ms.
    double LongestMs() const { return longestMs_; }

private:
    int intervalMs_ = kDefaultIntervalMs;
    std::string overrun_;
    int overruns_ = 0;
    double longestMs_ = 0;
};

}  // namespace korvo
