// Node requests as the controller receives them and the confirmations it
// builds, big-endian on the wire.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace korvo::sim {

using Bytes = std::vector<uint8_t>;

inline constexpr std::size_t kRequestHeaderSize = 12;
inline constexpr std::size_t kConfirmationHeaderSize = 16;
inline constexpr uint16_t kConfirmationBit = 0x8000;

// 0 for a field that lies beyond the bytes, so a short request reads as zeros.
// Inline: every request reads several fields.
inline uint16_t readBe16(std::span<const uint8_t> bytes, std::size_t offset)
{
    if (offset + 2 > bytes.size())
        return 0;
    return static_cast<uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}
inline uint32_t readBe32(std::span<const uint8_t> bytes, std::size_t offset)
{
    return uint32_t{readBe16(bytes, offset)} << 16 | readBe16(bytes, offset + 2);
}
// Grows `bytes` when the field lies beyond its end.
void writeBe16(Bytes& bytes, std::size_t offset, uint16_t value);
void writeBe32(Bytes& bytes, std::size_t offset, uint32_t value);

struct Request {
    Bytes bytes;

    uint16_t code() const { return readBe16(bytes, 0); }
    uint16_t sequence() const { return readBe16(bytes, 4); }
    // Node id, or the access mode in an open request.
    uint16_t nodeId() const { return readBe16(bytes, 10); }
    uint16_t word(std::size_t offset) const { return readBe16(bytes, offset); }
    uint32_t dword(std::size_t offset) const { return readBe32(bytes, offset); }
    // Up to `count` bytes from `offset`, fewer when the request is shorter.
    std::span<const uint8_t> tail(std::size_t offset, std::size_t count) const
    {
        if (offset >= bytes.size())
            return {};
        return std::span<const uint8_t>(bytes).subspan(offset, std::min(count, bytes.size() - offset));
    }
};

// Requests longer than this are nonsense even for the management family.
inline constexpr std::size_t kMaxRequest = 4096;

// The length of the first whole request in `pending`: 0 while more bytes are
// needed, nothing when the announced length is impossible (the connection is
// then beyond repair).
// Inline: it runs for every request.
inline std::optional<std::size_t> nextRequestLength(std::span<const uint8_t> pending)
{
    if (pending.size() < 4)
        return 0;
    const uint16_t length = readBe16(pending, 2);
    if (length < kRequestHeaderSize || length > kMaxRequest)
        return std::nullopt;
    return pending.size() >= length ? length : 0;
}

// Builds the confirmation of a node request: code + 8000h, the request's
// sequence number, status and error code; finish() stamps the length.
class ConfirmationBuilder {
public:
    explicit ConfirmationBuilder(const Request& request, uint16_t errorCode = 0);
    ConfirmationBuilder& word(std::size_t offset, uint16_t value);
    ConfirmationBuilder& dword(std::size_t offset, uint32_t value);
    ConfirmationBuilder& data(std::size_t offset, std::span<const uint8_t> bytes);
    Bytes finish();

private:
    Bytes bytes_;
};

// Hands an answer's buffer back once it has been sent: the next confirmation
// built on this thread reuses it, so a serving thread answers without allocating.
void recycleConfirmation(Bytes&& sent);

// Offsets of confirmation fields the fault injection rewrites.
inline constexpr std::size_t kLengthOffset = 2;
inline constexpr std::size_t kExceptionOffset = 6;
inline constexpr std::size_t kStatusOffset = 10;
inline constexpr std::size_t kErrorCodeOffset = 14;

// A process-data indication (C101h) as the controller sends it unasked.
Bytes processDataIndication(uint16_t address, uint16_t attribute, std::span<const uint8_t> data);

} // namespace korvo::sim
