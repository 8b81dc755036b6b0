// Device control: each command is one 0x0109 exchange carrying a payload
// built from its parameter record; monitoring and data indications open
// datagram listeners that the two waits read.
#include "connection.h"

#include <algorithm>
#include <cstring>

using namespace quorrin;

namespace {

constexpr std::size_t kKeyBlockSize = 16;
constexpr std::size_t kMaxSecurityValues = QUORRIN_MAX_SECURITY_VALUES;
constexpr std::size_t kGetSecurityPayload = 152;
constexpr std::size_t kMonitorFields = 10;
constexpr std::size_t kMemoryFields = 8;
constexpr std::size_t kNetFailModeFields = 4;
constexpr std::size_t kSecurityFields = 24;
constexpr std::size_t kWatchFields = 12;
constexpr int32_t kNoLimit = -1;

static_assert(wire::kMaxControlPayload == QUORRIN_MAX_CONTROL_PAYLOAD);
static_assert(wire::kMonitoringDatagramLimit - wire::kMonitoringDataOffset == QUORRIN_MAX_MONITOR_DATA);
static_assert(wire::kIndicationDatagramLimit - wire::kIndicationDataOffset == QUORRIN_MAX_INDICATION_DATA);

bool knownCommand(uint32_t command)
{
    return (command >= ETH_CMD_READ_MPM && command <= ETH_CMD_SECURITY_LOGIN) || command == ETH_CMD_SET_SECURITY
           || command == ETH_CMD_GET_SECURITY
           || (command >= ETH_CMD_ACTIVATE_DATA_INDICATION && command <= ETH_CMD_CLEAR_ALL_DATA_WATCH_AREAS);
}

bool needsParameter(uint32_t command)
{
    switch (command) {
    case ETH_CMD_READ_MPM:
    case ETH_CMD_WRITE_MPM:
    case ETH_CMD_SET_HOST_CHECKING:
    case ETH_CMD_SET_DTI_TIMEOUT:
    case ETH_CMD_ACTIVATE_PDIN_MONITORING:
    case ETH_CMD_GET_WATCHDOG_STATUS:
    case ETH_CMD_GET_NETFAIL_STATUS:
    case ETH_CMD_SET_NETFAIL_MODE:
    case ETH_CMD_GET_NETFAIL_MODE:
    case ETH_CMD_SECURITY_LOGIN:
    case ETH_CMD_SET_SECURITY:
    case ETH_CMD_GET_SECURITY:
    case ETH_CMD_ACTIVATE_DATA_INDICATION:
    case ETH_CMD_SET_DATA_WATCH_AREA:
        return true;
    default:
        return false;
    }
}

bool buffer(const void* data, std::size_t length)
{
    return length == 0 || data != nullptr;
}

// Argument errors that need no node: null records and buffers, counts
// beyond what the payload can describe.
uint32_t checkParameter(uint32_t command, const void* parameter)
{
    if (!knownCommand(command))
        return ERR_INVALID_ARGUMENT;
    if (!needsParameter(command))
        return 0;
    if (parameter == nullptr)
        return ERR_INVALID_ARGUMENT;
    switch (command) {
    case ETH_CMD_READ_MPM:
    case ETH_CMD_WRITE_MPM: {
        auto record = static_cast<const ETH_MPM_RECORD*>(parameter);
        return buffer(record->data, record->length) ? 0 : ERR_INVALID_ARGUMENT;
    }
    case ETH_CMD_ACTIVATE_PDIN_MONITORING: {
        auto record = static_cast<const ETH_MONITOR_RECORD*>(parameter);
        if (!buffer(record->data, record->length))
            return ERR_INVALID_ARGUMENT;
        return record->mode == ETH_MODE_CALLBACK && record->callback == nullptr ? ERR_INVALID_ARGUMENT : 0;
    }
    case ETH_CMD_SET_NETFAIL_MODE:
    case ETH_CMD_GET_NETFAIL_MODE: {
        auto record = static_cast<const ETH_NETFAIL_MODE_RECORD*>(parameter);
        return buffer(record->data, record->length) ? 0 : ERR_INVALID_ARGUMENT;
    }
    case ETH_CMD_SECURITY_LOGIN:
        return static_cast<const ETH_LOGIN_RECORD*>(parameter)->keyBlock != nullptr ? 0 : ERR_INVALID_ARGUMENT;
    case ETH_CMD_SET_SECURITY: {
        // The payload length counts every announced value, so more than
        // can be sent would announce bytes that never follow.
        auto record = static_cast<const ETH_SECURITY_RECORD*>(parameter);
        if (record->keyBlock == nullptr || record->count > kMaxSecurityValues || !buffer(record->values, record->count))
            return ERR_INVALID_ARGUMENT;
        return 0;
    }
    case ETH_CMD_GET_SECURITY: {
        auto record = static_cast<const ETH_SECURITY_RECORD*>(parameter);
        return record->keyBlock != nullptr && record->values != nullptr ? 0 : ERR_INVALID_ARGUMENT;
    }
    case ETH_CMD_SET_DATA_WATCH_AREA: {
        auto area = static_cast<const ETH_WATCH_RECORD*>(parameter)->area;
        return area != nullptr && buffer(area->data, area->length) ? 0 : ERR_INVALID_ARGUMENT;
    }
    default:
        return 0;
    }
}

std::size_t payloadLength(uint32_t command, const void* parameter)
{
    switch (command) {
    case ETH_CMD_READ_MPM:
        return kMemoryFields;
    case ETH_CMD_WRITE_MPM:
        return kMemoryFields + static_cast<const ETH_MPM_RECORD*>(parameter)->length;
    case ETH_CMD_SET_HOST_CHECKING:
    case ETH_CMD_SET_DTI_TIMEOUT:
        return 2;
    case ETH_CMD_ACTIVATE_PDIN_MONITORING:
        return kMonitorFields + static_cast<const ETH_MONITOR_RECORD*>(parameter)->length;
    case ETH_CMD_SET_NETFAIL_MODE:
        return kNetFailModeFields + static_cast<const ETH_NETFAIL_MODE_RECORD*>(parameter)->length;
    case ETH_CMD_SECURITY_LOGIN:
        return 4 + kKeyBlockSize;
    case ETH_CMD_SET_SECURITY:
        return kSecurityFields + 4 * std::size_t{static_cast<const ETH_SECURITY_RECORD*>(parameter)->count};
    case ETH_CMD_GET_SECURITY:
        return kGetSecurityPayload;
    case ETH_CMD_ACTIVATE_DATA_INDICATION:
        return 16;
    case ETH_CMD_SET_DATA_WATCH_AREA:
        return kWatchFields + static_cast<const ETH_WATCH_RECORD*>(parameter)->area->length;
    case ETH_CMD_CLEAR_DATA_WATCH_AREA:
        return 4;
    default:
        return 0;
    }
}

// Mode 2 opens a new listener that takes datagrams from the node's
// controller only; other modes announce the last one's port.
uint32_t listenerPort(const Node& node, net::UdpSocket& socket, uint16_t mode, uint16_t& port)
{
    if (mode == ETH_MODE_DATAGRAM) {
        net::Outcome bound = socket.bindFirstFree(QUORRIN_FIRST_DATAGRAM_PORT, QUORRIN_LAST_DATAGRAM_PORT);
        if (!bound.ok()) {
            setLastNetworkError(bound.networkError);
            return ERR_NETWORK;
        }
        socket.acceptOnlyFrom(node.socket.peerAddress());
    }
    port = socket.port();
    return 0;
}

uint32_t writePayload(Node& node, uint32_t command, void* parameter, wire::Writer& out)
{
    switch (command) {
    case ETH_CMD_READ_MPM:
    case ETH_CMD_WRITE_MPM: {
        auto record = static_cast<const ETH_MPM_RECORD*>(parameter);
        out.be32(record->address).be32(record->length);
        if (command == ETH_CMD_WRITE_MPM)
            out.bytes(record->data, record->length);
        return 0;
    }
    case ETH_CMD_SET_HOST_CHECKING:
    case ETH_CMD_SET_DTI_TIMEOUT:
        out.be16(*static_cast<const uint16_t*>(parameter));
        return 0;
    case ETH_CMD_ACTIVATE_PDIN_MONITORING: {
        auto record = static_cast<const ETH_MONITOR_RECORD*>(parameter);
        uint16_t port = 0;
        if (uint32_t result = listenerPort(node, node.monitoringSocket, record->mode, port); result != 0)
            return result;
        out.be16(record->mode).be16(port).be16(record->monitorParam).be16(record->length).be16(0);
        out.bytes(record->data, record->length);
        return 0;
    }
    case ETH_CMD_SET_NETFAIL_MODE: {
        auto record = static_cast<const ETH_NETFAIL_MODE_RECORD*>(parameter);
        out.be16(record->mode).be16(record->length).bytes(record->data, record->length);
        return 0;
    }
    case ETH_CMD_SECURITY_LOGIN: {
        auto record = static_cast<const ETH_LOGIN_RECORD*>(parameter);
        out.be16(record->firstWord).be16(record->secondWord).bytes(record->keyBlock, kKeyBlockSize);
        return 0;
    }
    case ETH_CMD_SET_SECURITY: {
        auto record = static_cast<const ETH_SECURITY_RECORD*>(parameter);
        out.be16(record->securityWord1).be16(record->securityWord2).be16(record->securityWord3);
        out.bytes(record->keyBlock, kKeyBlockSize).be16(record->count);
        for (std::size_t i = 0; i < record->count; ++i) {
            uint32_t value;
            std::memcpy(&value, reinterpret_cast<const uint8_t*>(record->values) + i * sizeof value, sizeof value);
            out.be32(value);
        }
        return 0;
    }
    case ETH_CMD_GET_SECURITY:
        out.be16(static_cast<const ETH_SECURITY_RECORD*>(parameter)->securityWord1);
        return 0;
    case ETH_CMD_ACTIVATE_DATA_INDICATION: {
        auto record = static_cast<const ETH_INDICATION_RECORD*>(parameter);
        uint16_t port = 0;
        if (uint32_t result = listenerPort(node, node.indicationSocket, record->mode, port); result != 0)
            return result;
        out.be16(record->mode).be16(port);
        out.be32(record->indicationParam1).be32(record->indicationParam2).be32(record->indicationParam3);
        return 0;
    }
    case ETH_CMD_SET_DATA_WATCH_AREA: {
        auto record = static_cast<const ETH_WATCH_RECORD*>(parameter);
        const DDI_PD_RECORD& area = *record->area;
        out.be16(area.address).be16(area.length).be32(static_cast<uint32_t>(record->watchValue));
        out.be16(area.attribute).be16(0).bytes(area.data, area.length);
        return 0;
    }
    case ETH_CMD_CLEAR_DATA_WATCH_AREA:
        out.be32(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(parameter)));
        return 0;
    default:
        return 0;
    }
}

// Bytes from `offset` for a buffer of `capacity`: no more than the
// confirmation announces nor than the buffer holds, and all of them there.
std::optional<std::span<const uint8_t>> boundedData(const wire::Reader& reply, std::size_t offset,
                                                    std::size_t announced, std::size_t capacity)
{
    return reply.bytes(offset, std::min(announced, capacity));
}

uint32_t takeResults(Node& node, uint32_t command, void* parameter, const wire::Reader& reply)
{
    constexpr std::size_t at = wire::kControlResultOffset;
    switch (command) {
    case ETH_CMD_READ_MPM: {
        auto record = static_cast<ETH_MPM_RECORD*>(parameter);
        auto address = reply.be32(at);
        auto length = reply.be32(at + 4);
        if (!address || !length)
            return ERR_CONFIRMATION;
        auto data = boundedData(reply, at + 8, *length, record->length);
        if (!data)
            return ERR_CONFIRMATION;
        if (!data->empty())
            std::memcpy(record->data, data->data(), data->size());
        record->address = *address;
        record->length = static_cast<uint32_t>(data->size());
        return 0;
    }
    case ETH_CMD_SET_HOST_CHECKING:
    case ETH_CMD_SET_DTI_TIMEOUT:
    case ETH_CMD_GET_WATCHDOG_STATUS: {
        auto word = reply.be16(at);
        if (!word)
            return ERR_CONFIRMATION;
        *static_cast<uint16_t*>(parameter) = *word;
        return 0;
    }
    case ETH_CMD_GET_NETFAIL_STATUS: {
        auto first = reply.be16(at);
        auto second = reply.be16(at + 2);
        if (!first || !second)
            return ERR_CONFIRMATION;
        auto words = static_cast<uint16_t*>(parameter);
        words[0] = *first;
        words[1] = *second;
        return 0;
    }
    case ETH_CMD_ACTIVATE_PDIN_MONITORING: {
        auto record = static_cast<const ETH_MONITOR_RECORD*>(parameter);
        node.monitoringMode = MonitoringMode::Off;
        if (record->mode == ETH_MODE_DATAGRAM) {
            node.monitoringMode = MonitoringMode::Datagram;
            node.monitoringWaitTime = record->waitTime;
        } else if (record->mode == ETH_MODE_CALLBACK) {
            node.monitoringMode = MonitoringMode::Callback;
            node.monitoringCallback = record->callback;
        }
        return 0;
    }
    case ETH_CMD_GET_NETFAIL_MODE: {
        auto record = static_cast<ETH_NETFAIL_MODE_RECORD*>(parameter);
        auto mode = reply.be16(at);
        auto length = reply.be16(at + 2);
        if (!mode || !length)
            return ERR_CONFIRMATION;
        auto data = boundedData(reply, at + 4, *length, record->length);
        if (!data)
            return ERR_CONFIRMATION;
        if (!data->empty())
            std::memcpy(record->data, data->data(), data->size());
        record->mode = *mode;
        record->length = static_cast<uint16_t>(data->size());
        return 0;
    }
    case ETH_CMD_GET_SECURITY: {
        auto record = static_cast<ETH_SECURITY_RECORD*>(parameter);
        auto word2 = reply.be16(at + 2);
        auto word3 = reply.be16(at + 4);
        auto key = reply.bytes(at + 6, kKeyBlockSize);
        auto count = reply.be16(at + 22);
        if (!word2 || !word3 || !key || !count)
            return ERR_CONFIRMATION;
        std::size_t copied = std::min<std::size_t>(*count, kMaxSecurityValues);
        std::array<uint32_t, kMaxSecurityValues> values{};
        for (std::size_t i = 0; i < copied; ++i) {
            auto value = reply.be32(at + 24 + 4 * i);
            if (!value)
                return ERR_CONFIRMATION;
            values[i] = *value;
        }
        record->securityWord2 = *word2;
        record->securityWord3 = *word3;
        std::memcpy(record->keyBlock, key->data(), kKeyBlockSize);
        record->count = *count;
        std::memcpy(record->values, values.data(), copied * sizeof(uint32_t));
        return 0;
    }
    case ETH_CMD_ACTIVATE_DATA_INDICATION:
        node.dataIndicationActive = static_cast<const ETH_INDICATION_RECORD*>(parameter)->mode == ETH_MODE_DATAGRAM;
        return 0;
    case ETH_CMD_SET_DATA_WATCH_AREA: {
        auto id = reply.be32(at);
        if (!id)
            return ERR_CONFIRMATION;
        static_cast<ETH_WATCH_RECORD*>(parameter)->watchId = *id;
        return 0;
    }
    default:
        return 0;
    }
}

uint32_t control(uint32_t handle, uint32_t command, void* parameter)
{
    if (checkParameter(command, parameter) != 0)
        return argumentError(handle);
    NodeCall call(handle, NodeState::BusyReceive);
    if (call.status() != 0)
        return call.status();
    std::size_t payload = payloadLength(command, parameter);
    if (payload > wire::kMaxControlPayload)
        return ERR_REQUEST_LENGTH;
    auto code = static_cast<uint16_t>(command);
    return call.run([&]() -> uint32_t {
        Node& node = call.node();
        std::vector<uint8_t> request;
        wire::Writer out = wire::beginControlRequest(request, nextSequence(), node.nodeId, code, payload);
        if (uint32_t result = writePayload(node, command, parameter, out); result != 0)
            return result;
        Reply reply;
        if (uint32_t result = call.exchange(request, reply); result != 0)
            return result;
        wire::Reader confirmation = reply.reader();
        if (uint32_t result = checkConfirmation(confirmation, wire::kControl); result != 0)
            return result;
        if (confirmation.be16(wire::kControlEchoOffset) != code)
            return ERR_CONFIRMATION;
        return takeResults(node, command, parameter, confirmation);
    });
}

// -1 waits without limit; otherwise whole seconds, so below one second the
// wait only looks at what has arrived.
net::WaitLimit datagramLimit(int32_t waitTime)
{
    if (waitTime == kNoLimit)
        return std::nullopt;
    return std::chrono::seconds(std::max(waitTime, 0) / 1000);
}

// One datagram from a listener of an open-idle node, or the wait's result.
uint32_t receiveDatagram(net::UdpSocket& socket, int32_t waitTime, std::span<uint8_t> buffer, std::size_t& received)
{
    net::Outcome outcome = socket.receive(buffer, datagramLimit(waitTime), received);
    if (outcome.result == ERR_NETWORK)
        setLastNetworkError(outcome.networkError);
    return outcome.result;
}

uint32_t malformedDatagram()
{
    setLastNetworkError(static_cast<int32_t>(ERR_NETWORK));
    return ERR_NETWORK;
}

// The pair of error words; a refusal whose words are both zero must still
// not read as success.
uint32_t datagramError(const wire::DatagramStatus& status)
{
    uint32_t words = uint32_t{status.firstError} << 16 | status.secondError;
    return words != 0 ? words : ERR_DEVICE_BASE;
}

Node* idleNode(uint32_t handle, uint32_t& result)
{
    Node* node = nodeForHandle(handle);
    result = node == nullptr ? ERR_HANDLE_RANGE : node->state.load() != NodeState::OpenIdle ? ERR_NODE_STATE : 0;
    return result == 0 ? node : nullptr;
}

} // namespace

extern "C" {

QUORRIN_API uint32_t DDI_DevIOCtrl(uint32_t handle, uint32_t command, void* parameter)
{
    return control(handle, command, parameter);
}

QUORRIN_API uint32_t ETH_ReadMPM(uint32_t handle, uint32_t address, uint32_t length, uint8_t* data)
{
    ETH_MPM_RECORD record{address, length, data};
    return control(handle, ETH_CMD_READ_MPM, &record);
}

QUORRIN_API uint32_t ETH_WriteMPM(uint32_t handle, uint32_t address, uint32_t length, const uint8_t* data)
{
    ETH_MPM_RECORD record{address, length, const_cast<uint8_t*>(data)};
    return control(handle, ETH_CMD_WRITE_MPM, &record);
}

QUORRIN_API uint32_t DDI_MPM_ReadData(uint32_t handle, const DDI_MPM_RECORD* record)
{
    if (record == nullptr)
        return argumentError(handle);
    return ETH_ReadMPM(handle, record->address, record->length, record->data);
}

QUORRIN_API uint32_t DDI_MPM_WriteData(uint32_t handle, const DDI_MPM_RECORD* record)
{
    if (record == nullptr)
        return argumentError(handle);
    return ETH_WriteMPM(handle, record->address, record->length, record->data);
}

QUORRIN_API uint32_t ETH_SetHostChecking(uint32_t handle, uint16_t* word)
{
    if (word == nullptr)
        return argumentError(handle);
    uint16_t answer = *word;
    uint32_t result = control(handle, ETH_CMD_SET_HOST_CHECKING, &answer);
    *word = answer;
    return result;
}

QUORRIN_API uint32_t ETH_ClearHostChecking(uint32_t handle)
{
    return control(handle, ETH_CMD_CLEAR_HOST_CHECKING, nullptr);
}

QUORRIN_API uint32_t ETH_SetDTITimeoutCtrl(uint32_t handle, uint16_t* word)
{
    if (word == nullptr)
        return argumentError(handle);
    uint16_t answer = *word;
    uint32_t result = control(handle, ETH_CMD_SET_DTI_TIMEOUT, &answer);
    *word = answer;
    return result;
}

QUORRIN_API uint32_t ETH_ClearDTITimeoutCtrl(uint32_t handle)
{
    return control(handle, ETH_CMD_CLEAR_DTI_TIMEOUT, nullptr);
}

QUORRIN_API uint32_t ETH_ActivatePDInMonitoring(uint32_t handle, const ETH_MONITOR_RECORD* monitor)
{
    return control(handle, ETH_CMD_ACTIVATE_PDIN_MONITORING, const_cast<ETH_MONITOR_RECORD*>(monitor));
}

QUORRIN_API uint32_t ETH_DeactivatePDInMonitoring(uint32_t handle)
{
    return control(handle, ETH_CMD_DEACTIVATE_PDIN_MONITORING, nullptr);
}

QUORRIN_API uint32_t ETH_GetWatchdogStatus(uint32_t handle, uint16_t* status)
{
    return control(handle, ETH_CMD_GET_WATCHDOG_STATUS, status);
}

QUORRIN_API uint32_t ETH_ClrWatchdogStatus(uint32_t handle)
{
    return control(handle, ETH_CMD_CLEAR_WATCHDOG_STATUS, nullptr);
}

QUORRIN_API uint32_t ETH_GetNetFailStatus(uint32_t handle, uint16_t status[2])
{
    return control(handle, ETH_CMD_GET_NETFAIL_STATUS, status);
}

QUORRIN_API uint32_t ETH_ClrNetFailStatus(uint32_t handle)
{
    return control(handle, ETH_CMD_CLEAR_NETFAIL_STATUS, nullptr);
}

QUORRIN_API uint32_t ETH_SetNetFail(uint32_t handle)
{
    return control(handle, ETH_CMD_SET_NETFAIL, nullptr);
}

QUORRIN_API uint32_t ETH_SetNetFailMode(uint32_t handle, const ETH_NETFAIL_MODE_RECORD* mode)
{
    return control(handle, ETH_CMD_SET_NETFAIL_MODE, const_cast<ETH_NETFAIL_MODE_RECORD*>(mode));
}

QUORRIN_API uint32_t ETH_GetNetFailMode(uint32_t handle, ETH_NETFAIL_MODE_RECORD* mode)
{
    return control(handle, ETH_CMD_GET_NETFAIL_MODE, mode);
}

QUORRIN_API uint32_t ETH_SecurityLogin(uint32_t handle, const uint8_t* keyBlock, uint16_t firstValue, uint16_t secondValue)
{
    ETH_LOGIN_RECORD record{secondValue, firstValue, keyBlock};
    return control(handle, ETH_CMD_SECURITY_LOGIN, &record);
}

QUORRIN_API uint32_t ETH_SetSecurity(uint32_t handle, const ETH_SECURITY_RECORD* security)
{
    return control(handle, ETH_CMD_SET_SECURITY, const_cast<ETH_SECURITY_RECORD*>(security));
}

QUORRIN_API uint32_t ETH_GetSecurity(uint32_t handle, ETH_SECURITY_RECORD* security)
{
    return control(handle, ETH_CMD_GET_SECURITY, security);
}

QUORRIN_API uint32_t ETH_ActivateDataIndication(uint32_t handle, const ETH_INDICATION_RECORD* indication)
{
    return control(handle, ETH_CMD_ACTIVATE_DATA_INDICATION, const_cast<ETH_INDICATION_RECORD*>(indication));
}

QUORRIN_API uint32_t ETH_DeactivateDataIndication(uint32_t handle)
{
    return control(handle, ETH_CMD_DEACTIVATE_DATA_INDICATION, nullptr);
}

QUORRIN_API uint32_t ETH_SetDataWatchArea(uint32_t handle, ETH_WATCH_RECORD* watch)
{
    return control(handle, ETH_CMD_SET_DATA_WATCH_AREA, watch);
}

QUORRIN_API uint32_t ETH_ClearDataWatchArea(uint32_t handle, uint32_t watchId)
{
    return control(handle, ETH_CMD_CLEAR_DATA_WATCH_AREA, reinterpret_cast<void*>(uintptr_t{watchId}));
}

QUORRIN_API uint32_t ETH_ClearAllDataWatchAreas(uint32_t handle)
{
    return control(handle, ETH_CMD_CLEAR_ALL_DATA_WATCH_AREAS, nullptr);
}

QUORRIN_API uint32_t WaitForPDInIndication(uint32_t handle, DDI_PD_RECORD* record)
{
    uint32_t result = 0;
    Node* node = idleNode(handle, result);
    if (node == nullptr)
        return result;
    if (record == nullptr || record->data == nullptr)
        return ERR_INVALID_ARGUMENT;
    if (node->monitoringMode != MonitoringMode::Datagram || !node->monitoringSocket.isOpen())
        return ERR_NODE_STATE;

    std::array<uint8_t, wire::kMonitoringDatagramLimit> datagram;
    std::size_t received = 0;
    if (result = receiveDatagram(node->monitoringSocket, node->monitoringWaitTime, datagram, received); result != 0)
        return result;
    auto decoded = wire::decodeMonitoringDatagram(wire::Reader(std::span<const uint8_t>(datagram.data(), received)));
    if (!decoded)
        return malformedDatagram();
    if (decoded->status.status != 0)
        return datagramError(decoded->status);
    record->length = decoded->length;
    record->address = decoded->address;
    record->attribute = decoded->attribute;
    if (!decoded->data.empty())
        std::memcpy(record->data, decoded->data.data(), decoded->data.size());
    return 0;
}

QUORRIN_API uint32_t ETH_WaitForDataIndication(uint32_t handle, ETH_DATA_INDICATION_RECORD* record)
{
    uint32_t result = 0;
    Node* node = idleNode(handle, result);
    if (node == nullptr)
        return result;
    if (record == nullptr || record->area == nullptr || record->area->data == nullptr)
        return ERR_INVALID_ARGUMENT;
    if (!node->dataIndicationActive || !node->indicationSocket.isOpen())
        return ERR_NODE_STATE;

    std::array<uint8_t, wire::kIndicationDatagramLimit> datagram;
    std::size_t received = 0;
    if (result = receiveDatagram(node->indicationSocket, record->waitTime, datagram, received); result != 0)
        return result;
    auto decoded = wire::decodeIndicationDatagram(wire::Reader(std::span<const uint8_t>(datagram.data(), received)));
    if (!decoded)
        return malformedDatagram();
    if (decoded->status.status != 0)
        return datagramError(decoded->status);
    record->indicationValue = decoded->indicationValue;
    record->indicationWord = decoded->indicationWord;
    DDI_PD_RECORD& area = *record->area;
    area.length = decoded->length;
    area.address = decoded->address;
    area.attribute = decoded->attribute;
    if (!decoded->data.empty())
        std::memcpy(area.data, decoded->data.data(), decoded->data.size());
    return 0;
}

} // extern "C"
