// Data, mailbox, notification and register services: each one exchange of
// the common procedure; their fields are encoded and decoded in wire.cpp.
#include "connection.h"
#include "hot_path.h"

#include <algorithm>
#include <cstring>

using namespace quorrin;

namespace {

constexpr std::size_t kMaxReadData = wire::kReceiveBuffer - wire::kReadDataOffset;
constexpr std::size_t kMaxWriteData = wire::kMaxRequest - wire::kRequestHeaderSize - wire::kWriteFields;
constexpr std::size_t kMaxReadWriteData = wire::kMaxRequest - wire::kRequestHeaderSize - wire::kReadWriteFields;
constexpr std::size_t kMaxSendMessage = wire::kMaxRequest - wire::kRequestHeaderSize - wire::kSendMessageFields;
constexpr std::size_t kMaxReceiveMessage = wire::kReceiveBuffer - wire::kReceivedMessageOffset;

static_assert(kMaxReadData == QUORRIN_MAX_READ_DATA && kMaxWriteData == QUORRIN_MAX_WRITE_DATA
              && kMaxReadWriteData == QUORRIN_MAX_READWRITE_DATA && kMaxSendMessage == QUORRIN_MAX_SEND_MESSAGE
              && kMaxReceiveMessage == QUORRIN_MAX_RECEIVE_MESSAGE);

bool validData(const DDI_PD_RECORD* record)
{
    return record != nullptr && (record->length == 0 || record->data != nullptr);
}

bool validMessage(const DDI_MSG_RECORD* message)
{
    return message != nullptr && (message->length == 0 || message->data != nullptr);
}

// Copies the read data only when the confirmation holds all of it.
uint32_t deliverReadData(const wire::Reader& confirmation, DDI_PD_RECORD* record)
{
    auto data = wire::decodeReadData(confirmation, record->length);
    if (!data)
        return ERR_CONFIRMATION;
    if (!data->empty())
        std::memcpy(record->data, data->data(), data->size());
    return 0;
}

uint32_t notification(uint32_t handle, const DDI_NOTIFY_RECORD* notify, uint16_t code)
{
    if (notify == nullptr)
        return argumentError(handle);
    NodeCall call(handle, NodeState::BusyReceive);
    if (call.status() != 0)
        return call.status();
    return call.run([&]() -> uint32_t {
        Node& node = call.node();
        Reply reply;
        if (uint32_t result = call.exchange(wire::notificationRequest(code, nextSequence(), node.nodeId, *notify), reply);
            result != 0)
            return result;
        if (uint32_t result = checkConfirmation(reply.reader(), code); result != 0)
            return result;
        node.notificationActive = code == wire::kSetNotification;
        node.notify1 = notify->notify1;
        node.notify2 = notify->notify2;
        node.notificationWaitTime = notify->waitTime;
        return 0;
    });
}

// Register reads report a negative confirmation by the controller's own code.
uint32_t readRegisters(uint32_t handle, NodeState busy, uint16_t code, uint16_t* words, std::size_t count)
{
    if (words == nullptr)
        return argumentError(handle);
    NodeCall call(handle, busy);
    if (call.status() != 0)
        return call.status();
    return call.run([&]() -> uint32_t {
        Reply reply;
        if (uint32_t result = call.exchange(wire::registerRequest(code, nextSequence(), call.node().nodeId), reply);
            result != 0)
            return result;
        wire::Reader confirmation = reply.reader();
        uint32_t result = checkConfirmation(confirmation, code);
        if (result == ERR_CONFIRMATION)
            return result;
        // A refusal without an error code must not read as success.
        if (result != 0)
            return result == ERR_DEVICE_BASE ? result : result - ERR_DEVICE_BASE;
        auto values = wire::decodeRegisters(confirmation, count);
        if (!values)
            return ERR_CONFIRMATION;
        std::memcpy(words, values->data(), count * sizeof(uint16_t));
        return 0;
    });
}

} // namespace

extern "C" {

QUORRIN_HOT QUORRIN_API uint32_t DDI_DTI_WriteData(uint32_t handle, const DDI_PD_RECORD* record)
{
    if (!validData(record))
        return argumentError(handle);
    NodeCall call(handle, NodeState::BusyWrite);
    if (call.status() != 0)
        return call.status();
    if (record->length > kMaxWriteData)
        return ERR_REQUEST_LENGTH;
    return call.run([&] QUORRIN_HOT () -> uint32_t {
        Reply reply;
        Node& node = call.node();
        wire::writeRequest(node.request, nextSequence(), node.nodeId, *record);
        if (uint32_t result = call.exchange(node.request, reply); result != 0)
            return result;
        return checkConfirmation(reply.reader(), wire::kWriteData);
    });
}

QUORRIN_HOT QUORRIN_API uint32_t DDI_DTI_ReadData(uint32_t handle, DDI_PD_RECORD* record)
{
    if (!validData(record))
        return argumentError(handle);
    NodeCall call(handle, NodeState::BusyRead);
    if (call.status() != 0)
        return call.status();
    if (record->length > kMaxReadData)
        return ERR_REQUEST_LENGTH;
    return call.run([&] QUORRIN_HOT () -> uint32_t {
        Reply reply;
        Node& node = call.node();
        wire::readRequest(node.request, nextSequence(), node.nodeId, *record);
        if (uint32_t result = call.exchange(node.request, reply); result != 0)
            return result;
        wire::Reader confirmation = reply.reader();
        if (uint32_t result = checkConfirmation(confirmation, wire::kReadData); result != 0)
            return result;
        return deliverReadData(confirmation, record);
    });
}

QUORRIN_HOT QUORRIN_API uint32_t DDI_DTI_ReadWriteData(uint32_t handle, const DDI_PD_RECORD* writeRecord,
                                                    DDI_PD_RECORD* readRecord)
{
    if (!validData(writeRecord) || !validData(readRecord))
        return argumentError(handle);
    NodeCall call(handle, NodeState::BusyReadWrite);
    if (call.status() != 0)
        return call.status();
    if (writeRecord->length > kMaxReadWriteData || readRecord->length > kMaxReadData)
        return ERR_REQUEST_LENGTH;
    return call.run([&] QUORRIN_HOT () -> uint32_t {
        Reply reply;
        Node& node = call.node();
        wire::readWriteRequest(node.request, nextSequence(), node.nodeId, *writeRecord, *readRecord);
        if (uint32_t result = call.exchange(node.request, reply); result != 0)
            return result;
        wire::Reader confirmation = reply.reader();
        uint32_t result = checkConfirmation(confirmation, wire::kReadWriteData);
        // A refused write still carries the read data when the confirmation is long.
        if (result == ERR_CONFIRMATION || (result != 0 && confirmation.size() <= wire::kReadDataOffset))
            return result;
        uint32_t delivered = deliverReadData(confirmation, readRecord);
        return delivered != 0 && result != 0 ? result : delivered;
    });
}

QUORRIN_HOT QUORRIN_API uint32_t DDI_MXI_SndMessage(uint32_t handle, const DDI_MSG_RECORD* message)
{
    return DDI_MXI_SndMultipleMessages(handle, message, 1);
}

QUORRIN_HOT QUORRIN_API uint32_t DDI_MXI_SndMultipleMessages(uint32_t handle, const DDI_MSG_RECORD* messages,
                                                          int32_t count)
{
    if (messages == nullptr || count < 1)
        return argumentError(handle);
    for (int32_t i = 0; i < count; ++i) {
        if (!validMessage(&messages[i]))
            return argumentError(handle);
    }
    NodeCall call(handle, NodeState::BusySend);
    if (call.status() != 0)
        return call.status();

    std::size_t total = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (messages[i].length > kMaxSendMessage)
            return ERR_REQUEST_LENGTH;
        total += wire::sendMessageRequestSize(messages[i]);
    }
    if (total > wire::kMaxRequest)
        return ERR_REQUEST_LENGTH;

    return call.run([&] QUORRIN_HOT () -> uint32_t {
        Node& node = call.node();
        // Sized from the previous request, so a message of the same size is
        // written over it without the buffer being emptied and zero-filled first.
        node.request.resize(total);
        std::size_t start = 0;
        for (int32_t i = 0; i < count; ++i)
            start = wire::writeSendMessageRequest(node.request, start, nextSequence(), node.nodeId, messages[i]);
        if (uint32_t result = call.send(node.request); result != 0)
            return result;

        // Each confirmation counts off one message; the last one decides the result.
        uint32_t running = 0;
        for (int32_t taken = 0; taken < count; ++taken) {
            Reply reply;
            if (uint32_t result = call.receive(reply); result != 0)
                return result;
            running = checkConfirmation(reply.reader(), wire::kSendMessage);
            if (running == ERR_CONFIRMATION)
                return running;
        }
        return running;
    });
}

QUORRIN_HOT QUORRIN_API uint32_t DDI_MXI_RcvMessage(uint32_t handle, DDI_MSG_RECORD* message)
{
    if (!validMessage(message))
        return argumentError(handle);
    NodeCall call(handle, NodeState::BusyReceive);
    if (call.status() != 0)
        return call.status();
    return call.run([&] QUORRIN_HOT () -> uint32_t {
        // A bigger announced size could only invite a reply that does not fit the receive buffer.
        auto announced = static_cast<uint16_t>(std::min<std::size_t>(message->length, kMaxReceiveMessage));
        Reply reply;
        Node& node = call.node();
        wire::receiveMessageRequest(node.request, nextSequence(), node.nodeId, announced);
        if (uint32_t result = call.exchange(node.request, reply); result != 0)
            return result;
        wire::Reader confirmation = reply.reader();
        if (uint32_t result = checkConfirmation(confirmation, wire::kReceiveMessage); result != 0)
            return result;
        auto received = wire::decodeReceivedMessage(confirmation);
        if (!received)
            return ERR_CONFIRMATION;
        // Never more than the caller's buffer, whatever length the controller
        // reports; a longer message says so and leaves its full length.
        std::size_t copied = std::min<std::size_t>(received->data.size(), message->length);
        bool cut = received->length > message->length;
        if (copied != 0)
            std::memcpy(message->data, received->data.data(), copied);
        message->tag1 = received->tag1;
        message->tag2 = received->tag2;
        message->length = cut ? received->length : static_cast<uint16_t>(copied);
        return cut ? ERR_BUFFER_SIZE : 0;
    });
}

QUORRIN_API uint32_t DDI_SetMsgNotification(uint32_t handle, const DDI_NOTIFY_RECORD* notify)
{
    return notification(handle, notify, wire::kSetNotification);
}

QUORRIN_API uint32_t DDI_ClrMsgNotification(uint32_t handle, const DDI_NOTIFY_RECORD* notify)
{
    return notification(handle, notify, wire::kClearNotification);
}

QUORRIN_API uint32_t GetKNSDiagnostic(uint32_t handle, DDI_DIAG_RECORD* diagnostic)
{
    if (diagnostic == nullptr)
        return argumentError(handle);
    uint16_t words[2];
    uint32_t result = readRegisters(handle, NodeState::BusyDiagnostic, wire::kDiagnostic, words, 2);
    if (result == 0) {
        diagnostic->statusRegister = words[0];
        diagnostic->parameterRegister = words[1];
    }
    return result;
}

QUORRIN_API uint32_t GetDIPSwitch(uint32_t handle, uint16_t* dipSwitch)
{
    return readRegisters(handle, NodeState::BusyDipSwitch, wire::kDipSwitch, dipSwitch, 1);
}

QUORRIN_API uint32_t GetSysFailRegister(uint32_t handle, uint16_t* sysFail)
{
    return readRegisters(handle, NodeState::BusySysFail, wire::kSysFail, sysFail, 1);
}

} // extern "C"
