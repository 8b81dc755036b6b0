#include "cycle_times.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::microseconds;

TEST(CycleTimes, MedianIsTheMiddleDurationWhateverTheOrder) {
    korvo::CycleTimes times;
    EXPECT_EQ(times.Median(), microseconds(0));
    for (int us : {900, 100, 5000, 300, 200}) times.Add(microseconds(us));
    EXPECT_EQ(times.Median(), microseconds(300));
    EXPECT_EQ(times.Summary(), "median cycle time 0.300 ms over 5 cycles");

    times.Add(microseconds(400));
    EXPECT_EQ(times.Median(), microseconds(350));
}

TEST(CycleTimes, OneCycleIsSingular) {
    korvo::CycleTimes times;
    times.Add(microseconds(1234));
    EXPECT_EQ(times.Summary(), "median cycle time 1.234 ms over 1 cycle");
}

}  // namespace
