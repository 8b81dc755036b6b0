#include "module.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace korvo {

int TModul::CommentCount() const {
    const long sum = static_cast<long>(Parameter_input) + static_cast<long>(Parameter_output);
    return static_cast<int>(std::clamp(sum, 0L, static_cast<long>(kCommentCount)));
}

[[gnu::hot]] std::uint32_t TModul::LitLeds(std::uint32_t inputValue) const {
    // Four 16-bit weights are tested at a time in one 64-bit word: this runs for
    // every input module in every I/O cycle. A lane's top bit ends up set when
    // any of its bits is; one multiplication gathers the four top bits.
    constexpr std::uint64_t kLow15 = 0x7FFF7FFF7FFF7FFFull;
    constexpr std::uint64_t kTop = 0x8000800080008000ull;
    constexpr std::uint64_t kGather = 0x0000200040008001ull;
    const std::uint64_t values = (inputValue & 0xFFFFu) * 0x0001000100010001ull;
    std::uint32_t lit = 0;
    for (std::size_t first = 1; first <= kLedCount; first += 4) {
        std::uint64_t weights;
        std::memcpy(&weights, &LedWeight[first], sizeof weights);
        if constexpr (std::endian::native == std::endian::big) {
            // The first LED's weight belongs in the lowest lane.
            weights = weights << 32 | weights >> 32;
            weights = (weights & 0x0000FFFF0000FFFFull) << 16 | (weights >> 16 & 0x0000FFFF0000FFFFull);
        }
        // LEDs without a weight, such as the upper half of a 16-LED module, light nothing.
        const std::uint64_t shared = weights & values;
        if (shared == 0) continue;
        const std::uint64_t nonZero = (((shared & kLow15) + kLow15) | shared) & kTop;
        lit |= static_cast<std::uint32_t>(((nonZero >> 15) * kGather) >> 45 & 0xFu) << (first - 1);
    }
    return lit;
}

}  // namespace korvo
