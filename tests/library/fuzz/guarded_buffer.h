// Caller buffers for the fuzz targets: guard bytes behind the buffer must survive
// every call, and a failed call must leave the whole buffer as it was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzz {

constexpr uint8_t kFill = 0xEE;
constexpr std::size_t kGuard = 16;
constexpr std::size_t kMaxStream = 32 * 1024;

template <std::size_t Size>
struct GuardedBuffer {
    std::array<uint8_t, Size + kGuard> bytes;
    GuardedBuffer() { bytes.fill(kFill); }
    uint8_t* data() { return bytes.data(); }
    bool guardIntact() const
    {
        for (std::size_t i = Size; i < bytes.size(); ++i) {
            if (bytes[i] != kFill)
                return false;
        }
        return true;
    }
    bool untouched() const
    {
        for (uint8_t byte : bytes) {
            if (byte != kFill)
                return false;
        }
        return true;
    }
};

inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace fuzz
