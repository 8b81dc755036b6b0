#pragma once
// The points of the current station as the I/O cycle sees them: every digital point
// and word of the address map, the channels of a module read one per cycle expanded
// one by one, and each measured channel with the scale of its word. The record, the
// trends and the event log all read the cycle's images through this one list.

#include "dialogs/engineering_value.h"
#include "docs/address_map.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace korvo {

class StationModel;

struct CyclePoint {
    AddressEntry entry;
    // 1..8: a channel of a module whose channels are read one per cycle (the AI 8),
    // filled from the value the cycle reports; 0: a point of its own in the image.
    int muxChannel = 0;
    // 1-based among its module's channel words of the same direction; 0 for the rest.
    int channel = 0;
    // The word's scale: analog and temperature inputs from the parameter word the test
    // sends, the counter's value, analog outputs; none for the other points.
    std::optional<WordScale> scale;

    bool Digital() const { return entry.width == PointWidth::Bool; }
    bool Testable() const;
};

// A point the user can switch or watch: not a parameter word or a request word that
// the modules' dialogs write, which a test has nothing to find out about.
bool TestablePoint(const AddressEntry& entry);
inline bool CyclePoint::Testable() const { return TestablePoint(entry); }

// The current station's points in address-map order (slot order, inputs first).
std::vector<CyclePoint> CyclePoints(const StationModel& model);

// The point's value in an image of length bytes: 0/1 for a BOOL, the big-endian word
// for a WORD; -1 when the image does not reach the point. Multiplexed channels have
// no value of their own in the image: -1.
int PointValue(const AddressEntry& entry, const std::uint8_t* image, int length);
inline int PointValue(const CyclePoint& point, const std::uint8_t* image, int length) {
    return point.muxChannel > 0 ? -1 : PointValue(point.entry, image, length);
}

// Where a point sits in its image, packed for the loops that read every point in
// every cycle.
struct PointProbe {
    std::int32_t byte = 0;
    std::int32_t bit = -1;  // 0..7 for a BOOL, -1 for a WORD

    explicit PointProbe(const AddressEntry& entry)
        : byte(entry.byte), bit(entry.width == PointWidth::Bool ? entry.bit : -1) {}
    int ValueIn(const std::uint8_t* image, int length) const {
        if (bit >= 0) return byte >= 0 && byte < length ? (image[byte] >> bit) & 1 : -1;
        return byte >= 0 && byte + 1 < length ? image[byte] << 8 | image[byte + 1] : -1;
    }
};

// A measured word that reports an error rather than a value (top bit set on an
// analog channel; for a multiplexed channel only its exact error codes).
bool IsErrorWord(const AddressEntry& entry, int muxChannel, int value);
inline bool IsErrorWord(const CyclePoint& point, int value) { return IsErrorWord(point.entry, point.muxChannel, value); }

}  // namespace korvo
