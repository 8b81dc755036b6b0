#include "wire.h"
#include "hot_path.h"

#include <algorithm>

namespace quorrin::wire {

std::optional<std::span<const uint8_t>> Reader::bytes(std::size_t offset, std::size_t count) const
{
    if (offset > message_.size() || message_.size() - offset < count)
        return std::nullopt;
    return message_.subspan(offset, count);
}

std::vector<uint8_t> openRequest(uint16_t sequence, uint16_t accessMode, const std::string& canonicalName)
{
    std::size_t nameLength = canonicalName.size() + 1;
    std::vector<uint8_t> out;
    beginRequest(out, kOpenNode, sequence, accessMode, 2 + nameLength)
        .be16(static_cast<uint16_t>(nameLength))
        .bytes(reinterpret_cast<const uint8_t*>(canonicalName.c_str()), nameLength);
    return out;
}

std::vector<uint8_t> closeRequest(uint16_t sequence, uint16_t nodeId)
{
    std::vector<uint8_t> out;
    beginRequest(out, kCloseNode, sequence, nodeId, 0);
    return out;
}

QUORRIN_HOT void writeRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t nodeId,
                              const DDI_PD_RECORD& record)
{
    beginRequest(out, kWriteData, sequence, nodeId, kWriteFields + record.length)
        .be16(record.address)
        .be16(record.length)
        .be16(record.attribute)
        .bytes(record.data, record.length);
}

std::vector<uint8_t> writeRequest(uint16_t sequence, uint16_t nodeId, const DDI_PD_RECORD& record)
{
    std::vector<uint8_t> out;
    writeRequest(out, sequence, nodeId, record);
    return out;
}

QUORRIN_HOT void readRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t nodeId,
                             const DDI_PD_RECORD& record)
{
    beginRequest(out, kReadData, sequence, nodeId, 6).be16(record.address).be16(record.length).be16(record.attribute);
}

std::vector<uint8_t> readRequest(uint16_t sequence, uint16_t nodeId, const DDI_PD_RECORD& record)
{
    std::vector<uint8_t> out;
    readRequest(out, sequence, nodeId, record);
    return out;
}

QUORRIN_HOT void readWriteRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t nodeId,
                                  const DDI_PD_RECORD& writeRecord, const DDI_PD_RECORD& readRecord)
{
    beginRequest(out, kReadWriteData, sequence, nodeId, kReadWriteFields + writeRecord.length)
        .be16(readRecord.address)
        .be16(readRecord.length)
        .be16(readRecord.attribute)
        .be16(writeRecord.address)
        .be16(writeRecord.length)
        .be16(writeRecord.attribute)
        .bytes(writeRecord.data, writeRecord.length);
}

std::vector<uint8_t> readWriteRequest(uint16_t sequence, uint16_t nodeId, const DDI_PD_RECORD& writeRecord,
                                      const DDI_PD_RECORD& readRecord)
{
    std::vector<uint8_t> out;
    readWriteRequest(out, sequence, nodeId, writeRecord, readRecord);
    return out;
}

QUORRIN_HOT std::size_t writeSendMessageRequest(std::vector<uint8_t>& out, std::size_t start, uint16_t sequence,
                                               uint16_t nodeId, const DDI_MSG_RECORD& message)
{
    const std::size_t length = sendMessageRequestSize(message);
    Writer writer = requestHeader(out, start, kSendMessage, sequence, nodeId, length);
    writer.be16(message.tag1).be16(message.tag2).be16(message.length).bytes(message.data, message.length);
    return writer.ok() ? start + length : out.size();
}

QUORRIN_HOT void receiveMessageRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t nodeId,
                                       uint16_t bufferSize)
{
    beginRequest(out, kReceiveMessage, sequence, nodeId, 2).be16(bufferSize);
}

std::vector<uint8_t> receiveMessageRequest(uint16_t sequence, uint16_t nodeId, uint16_t bufferSize)
{
    std::vector<uint8_t> out;
    receiveMessageRequest(out, sequence, nodeId, bufferSize);
    return out;
}

std::vector<uint8_t> notificationRequest(uint16_t code, uint16_t sequence, uint16_t nodeId,
                                         const DDI_NOTIFY_RECORD& notify)
{
    std::vector<uint8_t> out;
    beginRequest(out, code, sequence, nodeId, 14)
        .be16(1)
        .be32(notify.notify2)
        .be32(notify.notify1)
        .be32(static_cast<uint32_t>(notify.waitTime));
    return out;
}

std::vector<uint8_t> registerRequest(uint16_t code, uint16_t sequence, uint16_t nodeId)
{
    std::vector<uint8_t> out;
    beginRequest(out, code, sequence, nodeId, 0);
    return out;
}

std::optional<OpenResult> decodeOpenConfirmation(const Reader& message)
{
    auto nodeId = message.be16(16);
    if (!nodeId)
        return std::nullopt;
    // A controller may end the confirmation after the node id; the word is 0 then.
    return OpenResult{*nodeId, message.be16(18).value_or(0)};
}

std::optional<std::span<const uint8_t>> decodeReadData(const Reader& message, std::size_t length)
{
    return message.bytes(kReadDataOffset, length);
}

std::optional<ReceivedMessage> decodeReceivedMessage(const Reader& message)
{
    auto tag1 = message.be16(18);
    auto tag2 = message.be16(20);
    auto length = message.be16(22);
    if (!tag1 || !tag2 || !length)
        return std::nullopt;
    std::size_t available = std::min<std::size_t>(*length, message.size() - kReceivedMessageOffset);
    return ReceivedMessage{*tag1, *tag2, *length, *message.bytes(kReceivedMessageOffset, available)};
}

std::optional<std::array<uint16_t, 2>> decodeRegisters(const Reader& message, std::size_t count)
{
    std::array<uint16_t, 2> words{};
    for (std::size_t i = 0; i < count && i < words.size(); ++i) {
        auto word = message.be16(18 + 2 * i);
        if (!word)
            return std::nullopt;
        words[i] = *word;
    }
    return words;
}

std::optional<ProcessDataIndication> decodeProcessDataIndication(const Reader& message)
{
    auto address = message.be16(18);
    auto length = message.be16(20);
    auto attribute = message.be16(22);
    if (!address || !length || !attribute)
        return std::nullopt;
    auto data = message.bytes(24, *length);
    if (!data)
        return std::nullopt;
    return ProcessDataIndication{*address, *length, *attribute, *data};
}

Writer beginControlRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t nodeId, uint16_t command,
                           std::size_t payloadLength)
{
    Writer writer = beginRequest(out, kControl, sequence, nodeId, kControlFields + payloadLength);
    writer.be16(command).be16(static_cast<uint16_t>(payloadLength));
    return writer;
}

namespace {

std::optional<DatagramStatus> decodeDatagramStatus(const Reader& datagram)
{
    auto status = datagram.be16(10);
    auto first = datagram.be16(12);
    auto second = datagram.be16(14);
    if (!status || !first || !second)
        return std::nullopt;
    return DatagramStatus{*status, *first, *second};
}

// The announced data, cut to what the datagram actually holds.
std::span<const uint8_t> heldData(const Reader& datagram, std::size_t offset, uint16_t announced)
{
    std::size_t held = datagram.size() > offset ? datagram.size() - offset : 0;
    return datagram.bytes(offset, std::min<std::size_t>(announced, held)).value_or(std::span<const uint8_t>{});
}

} // namespace

std::optional<MonitoringDatagram> decodeMonitoringDatagram(const Reader& datagram)
{
    auto status = decodeDatagramStatus(datagram);
    if (!status)
        return std::nullopt;
    MonitoringDatagram decoded{*status, 0, 0, 0, {}};
    if (status->status != 0)
        return decoded;
    auto address = datagram.be16(18);
    auto length = datagram.be16(20);
    auto attribute = datagram.be16(22);
    if (!address || !length || !attribute)
        return std::nullopt;
    decoded.address = *address;
    decoded.attribute = *attribute;
    decoded.data = heldData(datagram, kMonitoringDataOffset, *length);
    decoded.length = static_cast<uint16_t>(decoded.data.size());
    return decoded;
}

std::optional<IndicationDatagram> decodeIndicationDatagram(const Reader& datagram)
{
    auto status = decodeDatagramStatus(datagram);
    if (!status)
        return std::nullopt;
    IndicationDatagram decoded{*status, 0, 0, 0, 0, 0, {}};
    if (status->status != 0)
        return decoded;
    auto value = datagram.be32(16);
    auto address = datagram.be16(22);
    auto length = datagram.be16(24);
    auto attribute = datagram.be16(26);
    auto word = datagram.be16(28);
    if (!value || !address || !length || !attribute || !word)
        return std::nullopt;
    decoded.indicationValue = *value;
    decoded.address = *address;
    decoded.attribute = *attribute;
    decoded.indicationWord = *word;
    decoded.data = heldData(datagram, kIndicationDataOffset, *length);
    decoded.length = static_cast<uint16_t>(decoded.data.size());
    return decoded;
}

Writer beginManagementRequest(std::vector<uint8_t>& out, uint16_t sequence, uint16_t subCode, uint16_t connectionId,
                              std::size_t parameterLength)
{
    out.assign(kManagementHeaderSize + parameterLength, 0);
    Writer writer(out);
    writer.be16(kManagementRequest)
        .be16(static_cast<uint16_t>(out.size()))
        .be16(sequence)
        .be32(0)
        .be16(subCode)
        .be16(connectionId)
        .be16(static_cast<uint16_t>(parameterLength));
    return writer;
}

ManagementConfirmation decodeManagementConfirmation(const Reader& message)
{
    return ManagementConfirmation{message.be16(kCodeOffset).value_or(0), message.be16(10).value_or(0),
                                  message.be16(12).value_or(0), message.be16(14).value_or(1),
                                  message.be16(18).value_or(0)};
}

} // namespace quorrin::wire
