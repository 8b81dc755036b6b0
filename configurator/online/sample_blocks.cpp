#include "online/sample_blocks.h"

#include <algorithm>

namespace korvo {

void SampleBlocks::Clear() {
    blocks_.clear();
    any_ = false;
}

void SampleBlocks::Follow(const PointRing& ring) {
    if (ring.Empty()) {
        Clear();
        return;
    }
    // A block whose first sample the ring overwrote is gone as a whole.
    const TrendTime oldest = ring.At(0).ms;
    while (!blocks_.empty() && blocks_.front().firstMs < oldest) blocks_.pop_front();
    for (std::size_t i = any_ ? ring.LowerBound(seenMs_ + 1) : 0; i < ring.Size(); ++i) {
        const TrendSample s = ring.At(i);
        if (blocks_.empty() || blocks_.back().count == kSize)
            blocks_.push_back({s.ms, s.ms, s.ms, s.ms, s.value, s.value, 0});
        Block& b = blocks_.back();
        b.lastMs = s.ms;
        if (s.value < b.low) {
            b.low = s.value;
            b.lowMs = s.ms;
        }
        if (s.value > b.high) {
            b.high = s.value;
            b.highMs = s.ms;
        }
        ++b.count;
    }
    any_ = true;
    seenMs_ = ring.Newest().ms;
}

std::vector<TrendSample> SampleBlocks::Envelope(TrendTime from, TrendTime to, int columns) const {
    std::vector<TrendSample> drawn;
    if (to <= from || columns <= 0) return drawn;
    const double width = static_cast<double>(to - from) / columns;
    auto b = std::lower_bound(blocks_.begin(), blocks_.end(), from,
                              [](const Block& block, TrendTime ms) { return block.lastMs < ms; });
    int column = -1;
    TrendSample low{}, high{};
    const auto flush = [&] {
        if (column < 0) return;
        if (low.ms <= high.ms) {
            drawn.push_back(low);
            if (high.ms != low.ms) drawn.push_back(high);
        } else {
            drawn.push_back(high);
            drawn.push_back(low);
        }
    };
    for (; b != blocks_.end() && b->firstMs <= to; ++b) {
        const int c = std::clamp(static_cast<int>(static_cast<double>(b->firstMs - from) / width), 0, columns - 1);
        if (c != column) {
            flush();
            column = c;
            low = {b->lowMs, b->low};
            high = {b->highMs, b->high};
            continue;
        }
        if (b->low < low.value) low = {b->lowMs, b->low};
        if (b->high > high.value) high = {b->highMs, b->high};
    }
    flush();
    return drawn;
}

}  // namespace korvo
