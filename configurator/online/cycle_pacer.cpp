#include "online/cycle_pacer.h"

#include <algorithm>

namespace korvo {

bool CyclePacer::Offered(int intervalMs) {
    return std::find(kIntervalsMs.begin(), kIntervalsMs.end(), intervalMs) != kIntervalsMs.end();
}

void CyclePacer::SetInterval(int intervalMs) {
    intervalMs_ = Offered(intervalMs) ? intervalMs : kDefaultIntervalMs;
    overrun_.clear();
}

bool CyclePacer::CycleTook(std::chrono::steady_clock::duration took) {
    const double ms = std::chrono::duration<double, std::milli>(took).count();
    longestMs_ = std::max(longestMs_, ms);
    if (ms <= intervalMs_) {
        overrun_.clear();
        return false;
    }
    ++overruns_;
    overrun_ = "cycle took " + std::to_string(static_cast<long>(ms + 0.5)) + " ms, longer than the " +
               std::to_string(intervalMs_) + " ms interval: the test waits for the next turn";
    return true;
}

}  // namespace korvo
