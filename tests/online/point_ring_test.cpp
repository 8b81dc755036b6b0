// The bounded history of a point and the reduction a plot draws from it: the ring keeps
// the newest samples and no more, and the reduction loses no extreme of any column.

#include "online/point_ring.h"
#include "online/sample_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace korvo {
namespace {

using namespace std::chrono_literals;

TEST(PointRing, KeepsTheNewestSamplesUpToItsCapacityAndNoMoreMemory) {
    PointRing ring(5);
    for (int i = 0; i < 12; ++i) ring.Append(i * 10, static_cast<float>(i));
    ASSERT_EQ(ring.Size(), 5u);
    EXPECT_EQ(ring.At(0), (TrendSample{70, 7}));
    EXPECT_EQ(ring.Newest(), (TrendSample{110, 11}));
    EXPECT_EQ(ring.MemoryBytes(), 5 * PointRing::BytesPerSample());
    EXPECT_EQ(ring.LowerBound(75), 1u);
    EXPECT_EQ(ring.LowerBound(0), 0u);
    EXPECT_EQ(ring.LowerBound(111), 5u);

    // A ring that has not filled takes about what it holds, never more than full.
    PointRing growing(PointRing::CapacityFor(24h, 1000));
    EXPECT_EQ(growing.Capacity(), 86400u);
    EXPECT_EQ(PointRing::CapacityFor(24h, 100), 864000u);
    for (int i = 0; i < 3000; ++i) growing.Append(i, 1.0f);
    EXPECT_LE(growing.MemoryBytes(), 4096 * PointRing::BytesPerSample());
    for (int i = 3000; i < 90000; ++i) growing.Append(i, 1.0f);
    EXPECT_EQ(growing.Size(), 86400u);
    EXPECT_EQ(growing.MemoryBytes(), 86400 * PointRing::BytesPerSample());
    EXPECT_EQ(growing.At(0).ms, 90000 - 86400);
}

TEST(PointRing, AClockThatGoesBackReplacesTheNewestSampleAndKeepsTheOrder) {
    PointRing ring(4);
    ring.Append(100, 1);
    ring.Append(200, 2);
    ring.Append(150, 3);
    ASSERT_EQ(ring.Size(), 2u);
    EXPECT_EQ(ring.Newest(), (TrendSample{200, 3}));
    ring.Clear();
    EXPECT_TRUE(ring.Empty());
    EXPECT_EQ(ring.MemoryBytes(), 0u);
}

TEST(PointRing, SamplesWeeksApartKeepTheirTimesAndThoseOutOfReachGo) {
    PointRing ring(10);
    const TrendTime start = 1'800'000'000'000;
    const TrendTime day = 86'400'000;
    ring.Append(start, 1);
    ring.Append(start + 30 * day, 2);
    ring.Append(start + 45 * day, 3);
    ASSERT_EQ(ring.Size(), 3u);
    EXPECT_EQ(ring.At(0), (TrendSample{start, 1}));
    EXPECT_EQ(ring.Newest(), (TrendSample{start + 45 * day, 3}));
    // 60 days after the first sample: that one is beyond what the ring can hold beside it.
    ring.Append(start + 60 * day, 4);
    ASSERT_EQ(ring.Size(), 3u);
    EXPECT_EQ(ring.At(0), (TrendSample{start + 30 * day, 2}));
    EXPECT_EQ(ring.Newest(), (TrendSample{start + 60 * day, 4}));
    EXPECT_EQ(ring.LowerBound(start + 31 * day), 1u);
    for (int i = 0; i < 10; ++i) ring.Append(start + 61 * day + i, 5);
    EXPECT_EQ(ring.Size(), 10u);
    EXPECT_EQ(ring.At(0).ms, start + 61 * day);
}

TEST(MinMaxDownsample, KeepsASpikeAndADipThatAColumnHides) {
    PointRing ring(20000);
    for (int i = 0; i < 10000; ++i) ring.Append(i, 0.0f);
    ring.Append(10000, 0.0f);
    // One sample high, one low, inside columns of a thousand samples each.
    PointRing spiky(20000);
    for (int i = 0; i <= 10000; ++i) spiky.Append(i, i == 1234 ? 100.0f : i == 5678 ? -50.0f : 0.0f);
    const auto drawn = MinMaxDownsample(spiky, 0, 10000, 10);
    EXPECT_LE(drawn.size(), 4u * 10 + 2);
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), TrendSample{1234, 100}), drawn.end());
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), TrendSample{5678, -50}), drawn.end());
    EXPECT_TRUE(std::is_sorted(drawn.begin(), drawn.end(), [](auto a, auto b) { return a.ms < b.ms; }));
    // A flat line costs its two ends per column at most.
    EXPECT_LE(MinMaxDownsample(ring, 0, 10000, 10).size(), 2u * 10 + 1);
}

TEST(MinMaxDownsample, EveryColumnKeepsItsMinimumAndMaximumForRandomData) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-1000, 1000);
    std::uniform_int_distribution<int> gap(1, 30);
    for (int round = 0; round < 20; ++round) {
        PointRing ring(5000);
        TrendTime t = 0;
        for (int i = 0; i < 4000; ++i) ring.Append(t += gap(random), value(random));
        const TrendTime from = ring.At(300).ms;
        const TrendTime to = ring.At(3700).ms;
        const int buckets = 10 + round * 37;
        const auto drawn = MinMaxDownsample(ring, from, to, buckets);
        const double width = static_cast<double>(to - from) / buckets;
        for (int b = 0; b < buckets; ++b) {
            const auto lo = from + static_cast<TrendTime>(b * width);
            const auto hi = from + static_cast<TrendTime>((b + 1) * width);
            double minimum = 1e9;
            double maximum = -1e9;
            for (std::size_t i = ring.LowerBound(lo); i < ring.Size() && ring.At(i).ms < hi && ring.At(i).ms <= to; ++i) {
                minimum = std::min(minimum, ring.At(i).value);
                maximum = std::max(maximum, ring.At(i).value);
            }
            if (minimum > maximum) continue;
            const auto has = [&](double v) {
                return std::any_of(drawn.begin(), drawn.end(), [&](const TrendSample& s) {
                    return s.value == v && s.ms >= lo && s.ms < hi + 1;
                });
            };
            EXPECT_TRUE(has(minimum)) << "round " << round << " column " << b;
            EXPECT_TRUE(has(maximum)) << "round " << round << " column " << b;
        }
        // The line enters and leaves the view from the samples beside it.
        EXPECT_EQ(drawn.front(), ring.At(299));
        EXPECT_EQ(drawn.back(), ring.At(3701));
    }
}

TEST(MinMaxDownsample, ColumnsFinerThanTheSamplesGiveEverySampleOnce) {
    PointRing ring(100);
    for (int i = 0; i < 50; ++i) ring.Append(i * 1000, static_cast<float>(i % 7));
    const auto drawn = MinMaxDownsample(ring, 0, 49000, 5000);
    ASSERT_EQ(drawn.size(), 50u);
    for (std::size_t i = 0; i < drawn.size(); ++i) EXPECT_EQ(drawn[i], ring.At(i));
    EXPECT_TRUE(MinMaxDownsample(ring, 60000, 70000, 10).size() == 1u) << "only the sample before the view";
    EXPECT_TRUE(MinMaxDownsample(PointRing(4), 0, 10, 10).empty());
}

TEST(StepSamples, ChangesBecomeEdgesAndTheLastValueIsHeld) {
    const std::vector<TrendSample> changes{{0, 0}, {10, 1}, {20, 1}, {30, 0}};
    const std::vector<TrendSample> steps{{0, 0}, {10, 0}, {10, 1}, {20, 1}, {30, 1}, {30, 0}, {40, 0}};
    EXPECT_EQ(StepSamples(changes, 40), steps);
    EXPECT_EQ(StepSamples(changes, 25).back(), (TrendSample{30, 0}));
    EXPECT_TRUE(StepSamples({}, 40).empty());
}

}  // namespace
}  // namespace korvo

namespace korvo {
namespace {

TEST(SampleBlocks, LongViewsReadBlocksAndKeepSpikesAndDipsOfWhatTheRingStillHolds) {
    // A ring that has overwritten its oldest quarter, with one spike and one dip.
    PointRing ring(30'000);
    SampleBlocks blocks;
    const TrendTime start = 1'800'000'000'000;
    for (int i = 0; i < 40'000; ++i) {
        const float value = i == 31'234 ? 99.0f : i == 35'555 ? -99.0f : static_cast<float>(i % 10);
        ring.Append(start + i * 1000, value);
        // Followed now and then, as the redraws come.
        if (i % 7'000 == 0) blocks.Follow(ring);
    }
    blocks.Follow(ring);
    const TrendTime from = ring.At(0).ms;
    const TrendTime to = ring.Newest().ms;
    const std::vector<TrendSample> drawn = blocks.Envelope(from - 1000, to, 100);
    EXPECT_LE(drawn.size(), 200u);
    EXPECT_GE(drawn.size(), 100u);
    EXPECT_TRUE(std::is_sorted(drawn.begin(), drawn.end(), [](const auto& a, const auto& b) { return a.ms < b.ms; }));
    ASSERT_FALSE(drawn.empty());
    EXPECT_GE(drawn.front().ms, from) << "nothing the ring no longer holds";
    EXPECT_LE(drawn.back().ms, to);
    const auto [low, high] = std::minmax_element(drawn.begin(), drawn.end(),
                                                 [](const auto& a, const auto& b) { return a.value < b.value; });
    EXPECT_EQ(*high, (TrendSample{start + 31'234 * 1000, 99.0}));
    EXPECT_EQ(*low, (TrendSample{start + 35'555 * 1000, -99.0}));
    blocks.Clear();
    EXPECT_TRUE(blocks.Envelope(from, to, 100).empty());
}

}  // namespace
}  // namespace korvo
