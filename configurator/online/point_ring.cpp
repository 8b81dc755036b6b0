#include "online/point_ring.h"

#include <algorithm>
#include <limits>

namespace korvo {

namespace {

constexpr TrendTime kMaxOffset = std::numeric_limits<std::uint32_t>::max();

}  // namespace

PointRing::PointRing(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

std::size_t PointRing::CapacityFor(std::chrono::milliseconds span, int intervalMs) {
    const auto interval = std::max(intervalMs, 1);
    return std::max<std::size_t>(1, static_cast<std::size_t>(span.count() / interval));
}

void PointRing::Append(TrendTime ms, float value) {
    if (size_ > 0 && ms < Newest().ms) {
        // The clock went back (a time change): the newest sample takes the place of the
        // one after it in time, so the ring stays ordered for its searches.
        const std::size_t newest = Physical(size_ - 1);
        values_[newest] = value;
        return;
    }
    if (size_ == 0) base_ = ms;
    if (ms - base_ > kMaxOffset) Rebase(ms);
    const auto offset = static_cast<std::uint32_t>(ms - base_);
    if (size_ < capacity_) {
        // Still growing: the samples sit in order from physical index 0. Growth stops
        // at the capacity rather than doubling past it.
        if (times_.size() == times_.capacity()) {
            const std::size_t next = std::min(capacity_, std::max<std::size_t>(1024, 2 * times_.size()));
            times_.reserve(next);
            values_.reserve(next);
        }
        times_.push_back(offset);
        values_.push_back(value);
        ++size_;
        return;
    }
    times_[head_] = offset;
    values_[head_] = value;
    head_ = (head_ + 1) % capacity_;
}

void PointRing::Rebase(TrendTime ms) {
    std::vector<std::uint32_t> times;
    std::vector<float> values;
    times.reserve(times_.capacity());
    values.reserve(values_.capacity());
    TrendTime base = ms;
    bool first = true;
    for (std::size_t i = 0; i < size_; ++i) {
        const TrendSample s = At(i);
        if (ms - s.ms > kMaxOffset) continue;
        if (first) base = s.ms;
        first = false;
        times.push_back(static_cast<std::uint32_t>(s.ms - base));
        values.push_back(static_cast<float>(s.value));
    }
    times_ = std::move(times);
    values_ = std::move(values);
    size_ = times_.size();
    head_ = 0;
    base_ = base;
}

void PointRing::Clear() {
    times_.clear();
    values_.clear();
    times_.shrink_to_fit();
    values_.shrink_to_fit();
    head_ = 0;
    size_ = 0;
}

TrendSample PointRing::At(std::size_t index) const {
    const std::size_t i = Physical(index);
    return {base_ + times_[i], values_[i]};
}

std::size_t PointRing::LowerBound(TrendTime ms) const {
    std::size_t low = 0;
    std::size_t high = size_;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (base_ + static_cast<TrendTime>(times_[Physical(middle)]) < ms) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

std::size_t PointRing::MemoryBytes() const {
    return times_.capacity() * sizeof(std::uint32_t) + values_.capacity() * sizeof(float);
}

std::vector<TrendSample> MinMaxDownsample(const PointRing& ring, TrendTime from, TrendTime to, int buckets) {
    std::vector<TrendSample> out;
    if (ring.Empty() || to <= from || buckets <= 0) return out;
    const std::size_t first = ring.LowerBound(from);
    const std::size_t end = ring.LowerBound(to + 1);
    if (first > 0) out.push_back(ring.At(first - 1));
    const auto push = [&out](const TrendSample& s) {
        if (out.empty() || !(out.back() == s)) out.push_back(s);
    };
    const double width = static_cast<double>(to - from) / buckets;
    std::size_t i = first;
    while (i < end) {
        const TrendSample start = ring.At(i);
        const auto bucket = static_cast<TrendTime>(static_cast<double>(start.ms - from) / width);
        const auto bucketEnd = from + static_cast<TrendTime>(static_cast<double>(bucket + 1) * width);
        TrendSample low = start;
        TrendSample high = start;
        TrendSample last = start;
        std::size_t j = i + 1;
        for (; j < end; ++j) {
            const TrendSample s = ring.At(j);
            if (s.ms >= bucketEnd) break;
            if (s.value < low.value) low = s;
            if (s.value > high.value) high = s;
            last = s;
        }
        // First, the extremes in the order they came, last.
        push(start);
        if (low.ms <= high.ms) {
            push(low);
            push(high);
        } else {
            push(high);
            push(low);
        }
        push(last);
        i = j;
    }
    if (end < ring.Size()) push(ring.At(end));
    return out;
}

std::vector<TrendSample> StepSamples(const std::vector<TrendSample>& samples, TrendTime until) {
    std::vector<TrendSample> out;
    out.reserve(samples.size() * 2 + 1);
    for (const TrendSample& s : samples) {
        if (!out.empty() && out.back().value != s.value) out.push_back({s.ms, out.back().value});
        out.push_back(s);
    }
    if (!out.empty() && until > out.back().ms) out.push_back({until, out.back().value});
    return out;
}

}  // namespace korvo
