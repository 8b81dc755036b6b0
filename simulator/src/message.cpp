#include "korvo_sim/message.h"

#include <algorithm>
#include <cstring>

namespace korvo::sim {
namespace {

// Room for the longest confirmation, so that building one never grows the buffer.
constexpr std::size_t kConfirmationRoom = 2048;

thread_local Bytes spareConfirmation;

} // namespace

void writeBe16(Bytes& bytes, std::size_t offset, uint16_t value)
{
    if (bytes.size() < offset + 2)
        bytes.resize(offset + 2);
    bytes[offset] = static_cast<uint8_t>(value >> 8);
    bytes[offset + 1] = static_cast<uint8_t>(value);
}

void writeBe32(Bytes& bytes, std::size_t offset, uint32_t value)
{
    writeBe16(bytes, offset, static_cast<uint16_t>(value >> 16));
    writeBe16(bytes, offset + 2, static_cast<uint16_t>(value));
}

[[gnu::hot]] ConfirmationBuilder::ConfirmationBuilder(const Request& request, uint16_t errorCode)
    : bytes_(std::move(spareConfirmation))
{
    bytes_.reserve(kConfirmationRoom);
    // A recycled buffer is only cut to the header, not filled again; most
    // confirmations are just the header, so mostly there is nothing to cut.
    if (bytes_.size() != kConfirmationHeaderSize)
        bytes_.resize(kConfirmationHeaderSize);
    const uint16_t code = static_cast<uint16_t>(request.code() | kConfirmationBit);
    const uint16_t sequence = request.sequence();
    const uint8_t header[kConfirmationHeaderSize] = {
        static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code), 0, 0,
        static_cast<uint8_t>(sequence >> 8), static_cast<uint8_t>(sequence), 0, 0, 0, 0,
        0, static_cast<uint8_t>(errorCode != 0 ? 1 : 0), 0, 0,
        static_cast<uint8_t>(errorCode >> 8), static_cast<uint8_t>(errorCode)};
    std::memcpy(bytes_.data(), header, kConfirmationHeaderSize);
}

[[gnu::hot]] ConfirmationBuilder& ConfirmationBuilder::word(std::size_t offset, uint16_t value)
{
    // Fields are mostly added in order: appending them avoids a zero-filling resize.
    if (offset == bytes_.size()) {
        bytes_.push_back(static_cast<uint8_t>(value >> 8));
        bytes_.push_back(static_cast<uint8_t>(value));
    } else {
        writeBe16(bytes_, offset, value);
    }
    return *this;
}

ConfirmationBuilder& ConfirmationBuilder::dword(std::size_t offset, uint32_t value)
{
    writeBe32(bytes_, offset, value);
    return *this;
}

[[gnu::hot]] ConfirmationBuilder& ConfirmationBuilder::data(std::size_t offset, std::span<const uint8_t> bytes)
{
    if (bytes_.size() < offset)
        bytes_.resize(offset);
    // Bytes that overlap what is there overwrite it; the rest is appended
    // without zero-filling first.
    const std::size_t overlap = std::min(bytes_.size() - offset, bytes.size());
    std::copy_n(bytes.begin(), overlap, bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    bytes_.insert(bytes_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(overlap), bytes.end());
    return *this;
}

[[gnu::hot]] Bytes ConfirmationBuilder::finish()
{
    // The header is always there, so the length goes straight into it.
    const auto length = static_cast<uint16_t>(bytes_.size());
    bytes_[kLengthOffset] = static_cast<uint8_t>(length >> 8);
    bytes_[kLengthOffset + 1] = static_cast<uint8_t>(length);
    return std::move(bytes_);
}

[[gnu::hot]] void recycleConfirmation(Bytes&& sent)
{
    spareConfirmation = std::move(sent);
}

Bytes processDataIndication(uint16_t address, uint16_t attribute, std::span<const uint8_t> data)
{
    Bytes bytes(24, 0);
    writeBe16(bytes, 0, 0xC101);
    writeBe16(bytes, 18, address);
    writeBe16(bytes, 20, static_cast<uint16_t>(data.size()));
    writeBe16(bytes, 22, attribute);
    bytes.insert(bytes.end(), data.begin(), data.end());
    writeBe16(bytes, kLengthOffset, static_cast<uint16_t>(bytes.size()));
    return bytes;
}

} // namespace korvo::sim
