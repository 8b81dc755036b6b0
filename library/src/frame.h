// Library-wide state, the node table and node-name resolution.
#pragma once

#include "netsocket.h"
#include "quorrin.h"
#include "wire.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorrin {

inline constexpr std::size_t kNodeCount = 256;
inline constexpr int32_t kDefaultTimeoutSeconds = 3;
inline constexpr int32_t kDirectNameTimeoutSeconds = 8;

enum class NodeState : uint32_t {
    Free = 0,
    Reserved,
    OpenIdle,
    Closing,
    BusyWrite,
    BusyRead,
    BusyReadWrite,
    BusySend,
    BusyReceive,
    BusyDiagnostic,
    BusyDipSwitch,
    BusySysFail,
    BusyHandler,
};

enum class HandlerState : uint16_t { None = 0, Set = 1, Called = 2, Pending = 3 };

enum class MonitoringMode : uint16_t { Off = 0, Callback = 1, Datagram = 2 };

using MonitoringCallback = ETH_MONITOR_CALLBACK;

struct Node {
    // Claimed by compare-and-swap, so two threads never run an exchange on one node.
    std::atomic<NodeState> state{NodeState::Free};
    uint32_t handle = 0;
    uint16_t nodeId = 0;
    uint16_t openWord = 0;
    net::TcpSocket socket;
    // Bytes read past the end of the last message: the start of the next
    // one, kept so that a message costs one read and nothing is lost.
    std::array<uint8_t, wire::kReceiveBuffer> inbox{};
    std::size_t inboxLength = 0;
    // The request being sent; its capacity stays, so an exchange does not allocate.
    std::vector<uint8_t> request;

    HandlerState handlerState = HandlerState::None;
    uint16_t pendingException = 0;
    ETH_EXCEPTION_HANDLER handler = nullptr;

    MonitoringMode monitoringMode = MonitoringMode::Off;
    MonitoringCallback monitoringCallback = nullptr;
    int32_t monitoringWaitTime = 0;
    // The listeners keep their last port after closing: a later activation
    // without a listener announces it again.
    net::UdpSocket monitoringSocket;
    bool dataIndicationActive = false;
    net::UdpSocket indicationSocket;

    bool notificationActive = false;
    uint32_t notify1 = 0;
    uint32_t notify2 = 0;
    int32_t notificationWaitTime = 0;
};

struct Library {
    std::atomic<int32_t> connectTimeout{kDefaultTimeoutSeconds};
    std::atomic<int32_t> receiveTimeout{kDefaultTimeoutSeconds};
    // Whole exchange, seconds; 0: four times the receive limit.
    std::atomic<int32_t> exchangeTimeout{0};
    std::array<char, QUORRIN_MAX_CLIENT_NAME> clientName{"quorrina"};
    std::atomic<int32_t> lastNetworkError{0};
    std::atomic<uint16_t> sequence{0};
    std::array<Node, kNodeCount> nodes;
};

// The library's one state, built on first use. Inline, because every call of
// the cyclic services reads it several times.
inline Library& library()
{
    static Library instance;
    return instance;
}

// Stamps the next request; the counter wraps at 65536.
inline uint16_t nextSequence() { return library().sequence.fetch_add(1, std::memory_order_relaxed); }
inline void setLastNetworkError(int32_t error) { library().lastNetworkError.store(error, std::memory_order_relaxed); }

// Takes the free entry with the lowest index; null when the table is full.
Node* reserveNode();
// Closes the node's sockets and frees its entry.
void freeNode(Node& node);
// The entry named by a handle in 64..319, whatever its state; inline, as
// every call starts with it.
inline Node* nodeForHandle(uint32_t handle)
{
    if (handle < QUORRIN_FIRST_HANDLE || handle > QUORRIN_LAST_HANDLE)
        return nullptr;
    return &library().nodes[handle - QUORRIN_FIRST_HANDLE];
}

struct ResolvedName {
    std::string host;
    std::string canonical;
    std::optional<int32_t> connectTimeout;
    std::optional<int32_t> receiveTimeout;
};

// Node name to host text and canonical name, from the name or the registry.
uint32_t resolveNodeName(const char* name, ResolvedName& resolved);

} // namespace quorrin
