// Arbitrary bytes as the controller's side of a node: a confirmation stream
// for the control calls that take results, or one datagram for the two
// indication waits. Whatever arrives, no call may write past the caller's
// buffers, nor hand over data after a failure, nor hang.
#include "guarded_buffer.h"
#include "frame.h"

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>

namespace {

using fuzz::GuardedBuffer;
using fuzz::kMaxStream;
using fuzz::require;

enum Call : uint8_t {
    kReadMemory,
    kNetFailMode,
    kSecurity,
    kNetFailStatus,
    kWatchArea,
    kMonitoringWait,
    kIndicationWait,
    kCallCount,
};

void runExchange(Call call, uint32_t handle)
{
    switch (call) {
    case kReadMemory: {
        GuardedBuffer<8> data;
        ETH_MPM_RECORD record{0, 8, data.data()};
        uint32_t result = DDI_DevIOCtrl(handle, ETH_CMD_READ_MPM, &record);
        require(data.guardIntact() && record.length <= 8 && (result == 0 || data.untouched()));
        break;
    }
    case kNetFailMode: {
        GuardedBuffer<6> data;
        ETH_NETFAIL_MODE_RECORD record{0, 6, data.data()};
        uint32_t result = ETH_GetNetFailMode(handle, &record);
        require(data.guardIntact() && record.length <= 6 && (result == 0 || data.untouched()));
        break;
    }
    case kSecurity: {
        GuardedBuffer<16> key;
        GuardedBuffer<QUORRIN_MAX_SECURITY_VALUES * 4> values;
        ETH_SECURITY_RECORD record{0, 0, 0, key.data(), 0, reinterpret_cast<uint32_t*>(values.data())};
        uint32_t result = ETH_GetSecurity(handle, &record);
        require(key.guardIntact() && values.guardIntact());
        require(result == 0 || (key.untouched() && values.untouched() && record.count == 0));
        break;
    }
    case kNetFailStatus: {
        uint16_t words[3] = {0xEEEE, 0xEEEE, 0xEEEE};
        uint32_t result = ETH_GetNetFailStatus(handle, words);
        require(words[2] == 0xEEEE && (result == 0 || (words[0] == 0xEEEE && words[1] == 0xEEEE)));
        break;
    }
    default: {
        uint8_t bytes[2] = {1, 2};
        DDI_PD_RECORD area{2, 0, 0, bytes};
        ETH_WATCH_RECORD watch{0, 0xEEEEEEEEu, &area};
        uint32_t result = ETH_SetDataWatchArea(handle, &watch);
        require(result == 0 || watch.watchId == 0xEEEEEEEEu);
        break;
    }
    }
}

void runWait(Call call, quorrin::Node& node, int datagramEnd)
{
    if (call == kMonitoringWait) {
        node.monitoringSocket.adopt(datagramEnd);
        node.monitoringMode = quorrin::MonitoringMode::Datagram;
        GuardedBuffer<QUORRIN_MAX_MONITOR_DATA> data;
        DDI_PD_RECORD record{0xEEEE, 0xEEEE, 0xEEEE, data.data()};
        uint32_t result = WaitForPDInIndication(node.handle, &record);
        require(data.guardIntact() && (result == 0 || (data.untouched() && record.length == 0xEEEE)));
        require(result != 0 || record.length <= QUORRIN_MAX_MONITOR_DATA);
    } else {
        node.indicationSocket.adopt(datagramEnd);
        node.dataIndicationActive = true;
        GuardedBuffer<QUORRIN_MAX_INDICATION_DATA> data;
        DDI_PD_RECORD area{0xEEEE, 0xEEEE, 0xEEEE, data.data()};
        ETH_DATA_INDICATION_RECORD record{0xEEEEEEEEu, 0, 0xEEEE, &area};
        uint32_t result = ETH_WaitForDataIndication(node.handle, &record);
        require(data.guardIntact() && (result == 0 || (data.untouched() && area.length == 0xEEEE)));
        require(result != 0 || area.length <= QUORRIN_MAX_INDICATION_DATA);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // A receive timeout of 0 turns "nothing more will come" into an immediate timeout.
    static const bool configured = [] {
        int32_t seconds = 0;
        return ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &seconds, sizeof seconds) == 0;
    }();
    require(configured);
    if (size == 0 || size > kMaxStream)
        return 0;
    auto call = static_cast<Call>(data[0] % kCallCount);
    bool datagram = call == kMonitoringWait || call == kIndicationWait;

    int ends[2];
    require(::socketpair(AF_UNIX, datagram ? SOCK_DGRAM : SOCK_STREAM, 0, ends) == 0);
    int buffer = static_cast<int>(2 * kMaxStream);
    setsockopt(ends[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    setsockopt(ends[0], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    require(::write(ends[1], data + 1, size - 1) == static_cast<ssize_t>(size - 1));
    if (!datagram)
        ::shutdown(ends[1], SHUT_WR);

    quorrin::Node* node = quorrin::reserveNode();
    require(node != nullptr);
    node->nodeId = 1;
    node->state.store(quorrin::NodeState::OpenIdle);
    if (datagram) {
        runWait(call, *node, ends[0]);
    } else {
        node->socket.adopt(ends[0]);
        runExchange(call, node->handle);
    }

    if (node->state.load() != quorrin::NodeState::Free)
        quorrin::freeNode(*node);
    ::close(ends[1]);
    return 0;
}
