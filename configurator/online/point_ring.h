#pragma once
// The history of one point: a bounded ring of samples (time, value), the oldest
// overwritten once it is full, and the reduction a plot draws from it. A sample takes
// 8 bytes: its time in milliseconds from the ring's base and a float. Sized for 24 h at
// the test's interval, a ring grows as samples come, so a short test costs little.
//
//   PointRing ring(PointRing::CapacityFor(std::chrono::hours(24), 1000));
//   ring.Append(nowMs, 4.25f);
//   auto drawn = MinMaxDownsample(ring, nowMs - 600000, nowMs, 800);

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvo {

// Milliseconds since 1970-01-01 UTC.
using TrendTime = std::int64_t;

struct TrendSample {
    TrendTime ms = 0;
    double value = 0;
    bool operator==(const TrendSample&) const = default;
};

class PointRing {
public:
    explicit PointRing(std::size_t capacity);

    // Samples for span at one sample per intervalMs (at least one).
    static std::size_t CapacityFor(std::chrono::milliseconds span, int intervalMs);

    // Times are expected not to go backwards; a sample older than the newest is kept
    // in place of it, so the ring stays in time order whatever the clock did.
    void Append(TrendTime ms, float value);
    void Clear();

    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return capacity_; }
    bool Empty() const { return size_ == 0; }
    // 0 is the oldest sample kept.
    TrendSample At(std::size_t index) const;
    TrendSample Newest() const { return At(size_ - 1); }
    // The first index whose time is at or after ms; Size() when none is.
    std::size_t LowerBound(TrendTime ms) const;
    // Bytes the samples take now.
    std::size_t MemoryBytes() const;
    // Bytes a full ring of this capacity takes.
    static std::size_t BytesPerSample() { return sizeof(std::uint32_t) + sizeof(float); }

private:
    std::size_t Physical(std::size_t index) const { return (head_ + index) % capacity_; }
    // Samples more than 49 days apart cannot share a base: the ring is laid out anew from
    // its oldest sample that is still within reach of ms.
    void Rebase(TrendTime ms);

    std::size_t capacity_;
    TrendTime base_ = 0;
    std::vector<std::uint32_t> times_;
    std::vector<float> values_;
    std::size_t head_ = 0;  // physical index of the oldest sample
    std::size_t size_ = 0;
};

// What a plot of [from, to] at `buckets` columns draws: per column, its first and
// last sample and its minimum and maximum, in time order and without repeats, so no
// spike and no dip is lost however far the view is zoomed out; also the last sample
// before `from` and the first after `to`, so the line enters and leaves the view.
// Columns without a sample give nothing.
std::vector<TrendSample> MinMaxDownsample(const PointRing& ring, TrendTime from, TrendTime to, int buckets);

// The same samples drawn as steps (a digital point): each change becomes a vertical
// edge at its time, and the last value is held to `until` when that is later.
std::vector<TrendSample> StepSamples(const std::vector<TrendSample>& samples, TrendTime until);

}  // namespace korvo
