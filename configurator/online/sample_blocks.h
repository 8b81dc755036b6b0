#pragma once
// The reduction of long views: a view of many hours reads a block of samples with its
// extremes where it would read dozens of samples, and loses no spike and no dip.

#include "online/point_ring.h"

#include <deque>
#include <vector>

namespace korvo {

// The samples of a ring in blocks of kSize, each with its extremes, kept up as the ring
// grows and overwrites: a view of many hours reads a block where it would read
// dozens of samples.
class SampleBlocks {
public:
    static constexpr int kSize = 32;

    void Follow(const PointRing& ring);
    void Clear();
    // Per column of [from, to], its lowest and its highest sample in time order.
    std::vector<TrendSample> Envelope(TrendTime from, TrendTime to, int columns) const;

private:
    struct Block {
        TrendTime firstMs, lastMs, lowMs, highMs;
        double low, high;
        int count;
    };
    std::deque<Block> blocks_;
    bool any_ = false;
    TrendTime seenMs_ = 0;  // the newest sample taken
};

}  // namespace korvo
