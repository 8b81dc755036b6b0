// The durations of the I/O cycles of one `korvo io` run, so that a user can
// measure their own network with the median printed at the end.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace korvo {

class CycleTimes {
public:
    void Add(std::chrono::nanoseconds duration) { durations_.push_back(duration); }
    std::size_t Count() const { return durations_.size(); }
    // The middle duration; the mean of the two middle ones for an even count; 0 without cycles.
    std::chrono::nanoseconds Median() const;
    // "median cycle time 1.234 ms over 100 cycles"
    std::string Summary() const;

private:
    std::vector<std::chrono::nanoseconds> durations_;
};

}  // namespace korvo
