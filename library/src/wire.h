// Wire encoding of node requests, confirmations and indications: every field
// that crosses the network is written or read here, big-endian and
// bounds-checked, never by copying caller records.
#pragma once

#include "quorrin.h"

#include <array>
#include <cstddef>
#include <string>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

namespace quorrin::wire {

inline constexpr std::size_t kRequestHeaderSize = 12;
inline constexpr std::size_t kMessageHeaderSize = 16;
inline constexpr std::size_t kMaxRequest = 1054;
inline constexpr std::size_t kReceiveBuffer = 2048;

// Header offsets shared by all messages.
inline constexpr std::size_t kCodeOffset = 0;
inline constexpr std::size_t kLengthOffset = 2;
inline constexpr std::size_t kSequenceOffset = 4;
inline constexpr std::size_t kExceptionOffset = 6;
inline constexpr std::size_t kNodeIdOffset = 10;
inline constexpr std::size_t kStatusOffset = 10;
inline constexpr std::size_t kErrorCodeOffset = 14;

inline constexpr uint16_t kConfirmationBit = 0x8000;
inline constexpr uint16_t kIndicationMask = 0xC000;
inline constexpr uint16_t kProcessDataIndication = 0xC101;

enum RequestCode : uint16_t {
    kOpenNode = 0x0101,
    kCloseNode = 0x0102,
    kWriteData = 0x0103,
    kReadData = 0x0104,
    kSendMessage = 0x0105,
    kReceiveMessage = 0x0106,
    kSetNotification = 0x0107,
    kClearNotification = 0x0108,
    kControl = 0x0109,
    kReadWriteData = 0x010A,
    kDiagnostic = 0x0201,
    kDipSwitch = 0x0202,
    kSysFail = 0x0203,
};

// Appends big-endian fields to a buffer of fixed capacity; an overflowing
// write is dropped and makes ok() false instead of growing the buffer.
class Writer {
public:
    // Writes from `start` on, within the size `out` has now; `out` must not
    // change its size while the writer is in use.
    explicit Writer(std::vector<uint8_t>& out, std::size_t start = 0)
        : data_(out.data()), end_(out.size()), size_(start)
    {
    }
    Writer& be16(uint16_t value);
    Writer& be32(uint32_t value);
    Writer& bytes(const uint8_t* data, std::size_t count);
    bool ok() const { return ok_; }
    std::size_t size() const { return size_; }

private:
    bool fits(std::size_t count);
    // The buffer's start and size, taken once: a byte store may alias
    // anything, so reading them from the vector would repeat for every field.
    uint8_t* data_;
    std::size_t end_;
    std::size_t size_ = 0;
    bool ok_ = true;
};

// Inline: a request of the cyclic services is a handful of these.
inline bool Writer::fits(std::size_t count)
{
    if (!ok_ || size_ > end_ || count > end_ - size_) {
        ok_ = false;
        return false;
    }
    return true;
}

inline Writer& Writer::be16(uint16_t value)
{
    if (fits(2)) {
        data_[size_] = static_cast<uint8_t>(value >> 8);
        data_[size_ + 1] = static_cast<uint8_t>(value);
        size_ += 2;
    }
    return *this;
}

inline Writer& Writer::be32(uint32_t value)
{
    be16(static_cast<uint16_t>(value >> 16));
    return be16(static_cast<uint16_t>(value));
}

inline Writer& Writer::bytes(const uint8_t* data, std::size_t count)
{
    if (count != 0 && fits(count)) {
        std::memcpy(data_ + size_, data, count);
        size_ += count;
    }
    return *this;
}

// Reads fields at message offsets; a field is returned only when all of its
// bytes lie inside the message.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> message) : message_(message) {}
    // Inline: every confirmation is read field by field.
    std::optional<uint16_t> be16(std::size_t offset) const
    {
        if (offset > message_.size() || message_.size() - offset < 2)
            return std::nullopt;
        return static_cast<uint16_t>(message_[offset] << 8 | message_[offset + 1]);
    }
    std::optional<uint32_t> be32(std::size_t offset) const
    {
        auto high = be16(offset);
        auto low = be16(offset + 2);
        if (!high || !low)
            return std::nullopt;
        return uint32_t{*high} << 16 | *low;
    }
    std::optional<std::span<const uint8_t>> bytes(std::size_t offset, std::size_t count) const;
    std::size_t size() const { return message_.size(); }

private:
    std::span<const uint8_t> message_;
};

// Writes the header of a request of `length` bytes that starts at `start`.
inline Writer requestHeader(std::vector<uint8_t>& out, std::size_t start, uint16_t code, uint16_t sequence,
                            uint16_t nodeId, std::size_t length)
{
    Writer writer(out, start);
    writer.be16(code).be16(static_cast<uint16_t>(length)).be16(sequence).be32(0).be16(nodeId);
    return writer;
}

// Starts a request: sizes `out` to the header plus `serviceLength` and writes
// the header; the caller appends exactly `serviceLength` bytes of fields.
// Inline, so that the writer of a cyclic request lives in registers.
inline Writer beginRequest(std::vector<uint8_t>& out, uint16_t code, uint16_t sequence, uint16_t nodeId,
                           std::size_t serviceLength)
{
    // Sized from the previous request instead of from empty: the cyclic
    // requests keep their size, so the buffer is neither cut nor zero-filled.
    const std::size_t length = kRequestHeaderSize + serviceLength;
    out.resize(length);
    return requestHeader(out, 0, code, sequence, nodeId, length);
}

// Service fields of each request. Lengths are checked by the callers
// against the documented limits before anything is built.
inline constexpr std::size_t kWriteFields = 6;
inline constexpr std::size_t kReadWriteFields = 12;
inline constexpr std::size_t kSendMessageFields = 6;
inline constexpr std::size_t kReadDataOffset = 20;
inline constexpr std::size_t kReceivedMessageOffset = 24;

std::vector<uint8_t> openRequest(uint16_t sequence, uint16_t accessMode, const std::string& canonicalName);
std::vector<uint8_t> closeRequest(uint16_t sequence, uint16_t nodeId);
std::vector<uint8_t> writeRequest(uint16_t sequence, uint16_t nodeId, const DDI_PD_RECORD& record);
std::vector<uint8_t> readRequest(uint16_t sequence, uint16_t nodeId, const DDI_PD_RECORD& record);
std::vector<uint8_t> readWriteRequest(uint16_t sequence, uint16_t nodeId, const DDI_PD_RECORD& writeRecord,
                                      const DDI_PD_RECORD& readRecord);
// The process-data requests built into `out`, whose capacity a node keeps from
// exchange to exchange, so the cyclic services do not allocate.
void writeRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t nodeId, const DDI_PD_RECORD& record);
void readRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t nodeId, const DDI_PD_RECORD& record);
void readWriteRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t nodeId, const DDI_PD_RECORD& writeRecord,
                      const DDI_PD_RECORD& readRecord);
// The bytes of one send-message request.
inline std::size_t sendMessageRequestSize(const DDI_MSG_RECORD& message)
{
    return kRequestHeaderSize + kSendMessageFields + message.length;
}
// Writes one send-message request from `start` on, within the size `out` has,
// so several can share one buffer; returns where the next one starts.
std::size_t writeSendMessageRequest(std::vector<uint8_t>& out, std::size_t start, uint16_t sequence, uint16_t nodeId,
                                   const DDI_MSG_RECORD& message);
std::vector<uint8_t> receiveMessageRequest(uint16_t sequence, uint16_t nodeId, uint16_t bufferSize);
void receiveMessageRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t nodeId, uint16_t bufferSize);
std::vector<uint8_t> notificationRequest(uint16_t code, uint16_t sequence, uint16_t nodeId,
                                         const DDI_NOTIFY_RECORD& notify);
std::vector<uint8_t> registerRequest(uint16_t code, uint16_t sequence, uint16_t nodeId);

// Header of a received message; `length` is what the header announces.
struct MessageHeader {
    uint16_t code;
    uint16_t length;
};

// Decodes code and announced length from the first four bytes, refusing
// lengths that are shorter than the fixed header or longer than the buffer.
// Inline, as are the other decoders every confirmation passes through.
inline std::optional<MessageHeader> decodeHeader(std::span<const uint8_t> firstBytes)
{
    Reader reader(firstBytes);
    auto code = reader.be16(kCodeOffset);
    auto length = reader.be16(kLengthOffset);
    if (!code || !length || *length < kMessageHeaderSize || *length > kReceiveBuffer)
        return std::nullopt;
    return MessageHeader{*code, *length};
}

inline bool isIndication(uint16_t code)
{
    return (code & kIndicationMask) == kIndicationMask;
}

// Exception code carried by bits 13..15 of the exception word, 0 when clear.
inline uint16_t exceptionCode(const Reader& message)
{
    uint16_t word = message.be16(kExceptionOffset).value_or(0);
    return (word & 0xE000) != 0 ? static_cast<uint16_t>(word >> 12) : 0;
}

struct Confirmation {
    uint16_t code;
    uint16_t status;
    uint16_t errorCode;
};
inline Confirmation decodeConfirmation(const Reader& message)
{
    return Confirmation{message.be16(kCodeOffset).value_or(0), message.be16(kStatusOffset).value_or(0),
                        message.be16(kErrorCodeOffset).value_or(0)};
}

struct OpenResult {
    uint16_t nodeId;
    uint16_t word;
};
std::optional<OpenResult> decodeOpenConfirmation(const Reader& message);

// The `length` read bytes from offset 20, when all of them are there.
std::optional<std::span<const uint8_t>> decodeReadData(const Reader& message, std::size_t length);

struct ReceivedMessage {
    uint16_t tag1;
    uint16_t tag2;
    uint16_t length;                  // as the controller reports it
    std::span<const uint8_t> data;    // what actually arrived, at most `length` bytes
};
std::optional<ReceivedMessage> decodeReceivedMessage(const Reader& message);

// `count` (1 or 2) register words from offset 18.
std::optional<std::array<uint16_t, 2>> decodeRegisters(const Reader& message, std::size_t count);

struct ProcessDataIndication {
    uint16_t address;
    uint16_t length;
    uint16_t attribute;
    std::span<const uint8_t> data;
};
// A 0xC101 indication whose data runs past the received bytes is malformed.
std::optional<ProcessDataIndication> decodeProcessDataIndication(const Reader& message);

// Control request: command and payload length after the header, then the
// payload that the caller appends through the returned writer.
inline constexpr std::size_t kControlFields = 4;
inline constexpr std::size_t kMaxControlPayload = kMaxRequest - kRequestHeaderSize - kControlFields;
inline constexpr std::size_t kControlEchoOffset = 18;
inline constexpr std::size_t kControlResultOffset = 22;
Writer beginControlRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t nodeId, uint16_t command,
                           std::size_t payloadLength);

// Indication datagrams. The data span holds what arrived, at most the
// length the datagram announces.
inline constexpr std::size_t kMonitoringDatagramLimit = 1024;
inline constexpr std::size_t kIndicationDatagramLimit = 1060;
inline constexpr std::size_t kMonitoringDataOffset = 24;
inline constexpr std::size_t kIndicationDataOffset = 32;

struct DatagramStatus {
    uint16_t status;
    uint16_t firstError;
    uint16_t secondError;
};
struct MonitoringDatagram {
    DatagramStatus status;
    uint16_t address;
    uint16_t length;
    uint16_t attribute;
    std::span<const uint8_t> data;
};
struct IndicationDatagram {
    DatagramStatus status;
    uint32_t indicationValue;
    uint16_t address;
    uint16_t length;
    uint16_t attribute;
    uint16_t indicationWord;
    std::span<const uint8_t> data;
};
// Both refuse a datagram too short for its status words; the area fields
// are required only when the status is 0.
std::optional<MonitoringDatagram> decodeMonitoringDatagram(const Reader& datagram);
std::optional<IndicationDatagram> decodeIndicationDatagram(const Reader& datagram);

// Management messages (their own family on the same port).
inline constexpr uint16_t kManagementRequest = 0x0401;
inline constexpr uint16_t kManagementConfirmation = 0x0901;
inline constexpr uint16_t kManagementSubCodeOffset = 0x0500;
inline constexpr std::size_t kManagementHeaderSize = 16;
inline constexpr std::size_t kManagementResultOffset = 22;

Writer beginManagementRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t subCode, uint16_t connectionId,
                              std::size_t parameterLength);

struct ManagementConfirmation {
    uint16_t code;
    uint16_t subCode;
    uint16_t connectionId;
    uint16_t status;
    uint16_t errorCode;
};
// Missing header fields read as zero, except a missing status, which
// reads as a refusal so that a cut confirmation never counts as positive.
ManagementConfirmation decodeManagementConfirmation(const Reader& message);

} // namespace quorrin::wire
