#include "cycle_times.h"

#include <algorithm>
#include <cstdio>

namespace korvo {

std::chrono::nanoseconds CycleTimes::Median() const {
    if (durations_.empty()) return std::chrono::nanoseconds(0);
    std::vector<std::chrono::nanoseconds> sorted = durations_;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t middle = sorted.size() / 2;
    if (sorted.size() % 2 == 1) return sorted[middle];
    return (sorted[middle - 1] + sorted[middle]) / 2;
}

std::string CycleTimes::Summary() const {
    char text[96];
    const double milliseconds = std::chrono::duration<double, std::milli>(Median()).count();
    std::snprintf(text, sizeof text, "median cycle time %.3f ms over %zu cycle%s", milliseconds, Count(),
                  Count() == 1 ? "" : "s");
    return text;
}

}  // namespace korvo
