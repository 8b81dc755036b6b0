#include "connection.h"
#include "hot_path.h"

#include <algorithm>
#include <chrono>

#include <time.h>

namespace quorrin {
namespace {

constexpr std::size_t kLengthFieldEnd = 4;
// Without a limit of its own, a whole exchange may take this many piece limits.
constexpr int kPieceLimitsPerExchange = 4;

// Confirmation waits last longer while message notification lets the
// controller hold a receive until a message arrives.
net::WaitLimit confirmationLimit(const Node& node)
{
    int32_t seconds = std::max(library().receiveTimeout.load(), 0);
    if (node.notificationActive) {
        if (node.notificationWaitTime == -1)
            return std::nullopt;
        seconds += std::max(node.notificationWaitTime, 0) / 1000;
    }
    return std::chrono::seconds(seconds);
}

// The exchange limits are whole seconds: the kernel's coarse monotonic clock
// (a few milliseconds' resolution) is precise enough for them and costs a
// fraction of the fine one, which every exchange would read.
struct CoarseClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<CoarseClock>;
    static constexpr bool is_steady = true;

    static time_point now() noexcept
    {
        timespec ts{};
#ifdef CLOCK_MONOTONIC_COARSE
        clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
#else
        clock_gettime(CLOCK_MONOTONIC, &ts);
#endif
        return time_point(std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec));
    }
};

// The limit per piece holds for each piece anew, so a controller that
// drips bytes or streams indications could stretch one exchange without
// end; the exchange as a whole ends at this deadline.
class ExchangeWait {
public:
    using Clock = CoarseClock;

    explicit ExchangeWait(const Node& node) : piece_(confirmationLimit(node))
    {
        if (!piece_)
            return;
        int32_t seconds = library().exchangeTimeout.load();
        auto whole = seconds > 0 ? std::chrono::milliseconds(std::chrono::seconds(seconds))
                                 : *piece_ * kPieceLimitsPerExchange;
        deadline_ = Clock::now() + whole;
        // The first piece starts with the exchange, so its wait is known
        // without reading the clock again: most exchanges need no other.
        first_ = std::min(std::max(whole, std::chrono::milliseconds(0)), *piece_);
        firstOver_ = whole.count() <= 0;
    }

    // The wait for the next piece: the piece limit, or less near the
    // deadline; nothing once the deadline has passed.
    std::optional<net::WaitLimit> nextPiece()
    {
        if (!deadline_)
            return piece_;
        if (fresh_) {
            fresh_ = false;
            if (firstOver_)
                return std::nullopt;
            return net::WaitLimit(first_);
        }
        const auto now = Clock::now();
        if (now >= *deadline_)
            return std::nullopt;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline_ - now);
        return net::WaitLimit(std::clamp(left, std::chrono::milliseconds(0), *piece_));
    }

private:
    net::WaitLimit piece_;
    std::optional<Clock::time_point> deadline_;
    std::chrono::milliseconds first_{0};
    bool firstOver_ = false;
    bool fresh_ = true;
};

QUORRIN_HOT void applyExceptionWord(Node& node, uint16_t code)
{
    if (code == 0) {
        if (node.handlerState == HandlerState::Pending)
            node.handlerState = HandlerState::None;
        return;
    }
    switch (node.handlerState) {
    case HandlerState::None:
        node.pendingException = code;
        node.handlerState = HandlerState::Pending;
        break;
    case HandlerState::Set:
        node.handlerState = HandlerState::Called;
        node.handler(node.handle, 0, code);
        break;
    case HandlerState::Called:
    case HandlerState::Pending:
        break;
    }
}

void dispatchIndication(Node& node, Reply& message)
{
    wire::Reader reader = message.reader();
    if (node.monitoringMode != MonitoringMode::Callback || node.monitoringCallback == nullptr
        || reader.be16(wire::kCodeOffset) != wire::kProcessDataIndication)
        return;
    auto indication = wire::decodeProcessDataIndication(reader);
    if (!indication)
        return;
    // The record points into the receive buffer, valid during the callback only.
    auto offset = static_cast<std::size_t>(indication->data.data() - message.bytes.data());
    DDI_PD_RECORD record{indication->length, indication->address, indication->attribute, message.bytes.data() + offset};
    node.monitoringCallback(node.handle, &record);
}

// Reads one whole message. Each read takes whatever has arrived, so a
// confirmation usually costs one; bytes past the message's end belong to the
// next message and wait in the node's inbox.
QUORRIN_HOT uint32_t readMessage(Node& node, Reply& message, ExchangeWait& wait)
{
    std::size_t received = node.inboxLength;
    std::copy_n(node.inbox.begin(), received, message.bytes.begin());
    node.inboxLength = 0;
    // The announced length once the header is in; never 0, as no header announces less than itself.
    std::size_t expected = 0;
    for (;;) {
        if (expected == 0 && received >= kLengthFieldEnd) {
            auto header = wire::decodeHeader(std::span<const uint8_t>(message.bytes.data(), received));
            if (!header) {
                setLastNetworkError(static_cast<int32_t>(ERR_NETWORK));
                return ERR_NETWORK;
            }
            expected = header->length;
        }
        if (expected != 0 && received >= expected)
            break;
        const std::optional<net::WaitLimit> limit = wait.nextPiece();
        if (!limit) {
            setLastNetworkError(static_cast<int32_t>(ERR_TIMEOUT));
            return ERR_TIMEOUT;
        }
        std::size_t count = 0;
        auto space = std::span<uint8_t>(message.bytes).subspan(received);
        net::Outcome outcome = node.socket.receiveSome(space, *limit, count);
        if (!outcome.ok()) {
            setLastNetworkError(outcome.networkError);
            return outcome.result;
        }
        received += count;
    }
    message.length = expected;
    node.inboxLength = received - expected;
    std::copy_n(message.bytes.begin() + static_cast<std::ptrdiff_t>(expected), node.inboxLength, node.inbox.begin());
    return 0;
}

} // namespace

uint32_t checkHandle(uint32_t handle)
{
    Node* node = nodeForHandle(handle);
    if (node == nullptr)
        return ERR_HANDLE_RANGE;
    return node->state.load() == NodeState::OpenIdle ? 0 : ERR_NODE_STATE;
}

QUORRIN_HOT NodeCall::NodeCall(uint32_t handle, NodeState busy)
{
    Node* node = nodeForHandle(handle);
    if (node == nullptr) {
        status_ = ERR_HANDLE_RANGE;
        return;
    }
    NodeState expected = NodeState::OpenIdle;
    if (!node->state.compare_exchange_strong(expected, busy)) {
        status_ = ERR_NODE_STATE;
        return;
    }
    node_ = node;
}

QUORRIN_HOT NodeCall::~NodeCall()
{
    // Release, as a lock is let go: the next call that claims the node sees
    // everything this one did to it.
    if (node_ != nullptr)
        node_->state.store(NodeState::OpenIdle, std::memory_order_release);
}

void NodeCall::drop()
{
    if (node_ != nullptr) {
        freeNode(*node_);
        node_ = nullptr;
    }
}

QUORRIN_HOT uint32_t NodeCall::send(std::span<const uint8_t> request)
{
    if (request.size() > wire::kMaxRequest)
        return ERR_REQUEST_LENGTH;
    net::Outcome outcome = node_->socket.sendAll(request);
    if (!outcome.ok()) {
        setLastNetworkError(outcome.networkError);
        drop();
    }
    return outcome.result;
}

QUORRIN_HOT uint32_t NodeCall::receive(Reply& reply)
{
    ExchangeWait wait(*node_);
    for (std::size_t indications = 0;; ++indications) {
        // A controller that sends nothing but indications never confirms.
        if (indications >= QUORRIN_MAX_INDICATIONS_PER_CALL) {
            setLastNetworkError(static_cast<int32_t>(ERR_TIMEOUT));
            drop();
            return ERR_TIMEOUT;
        }
        if (uint32_t result = readMessage(*node_, reply, wait); result != 0) {
            drop();
            return result;
        }
        wire::Reader reader = reply.reader();
        applyExceptionWord(*node_, wire::exceptionCode(reader));
        if (!wire::isIndication(reader.be16(wire::kCodeOffset).value_or(0)))
            return 0;
        dispatchIndication(*node_, reply);
    }
}

QUORRIN_HOT uint32_t NodeCall::exchange(std::span<const uint8_t> request, Reply& reply)
{
    if (uint32_t result = send(request); result != 0)
        return result;
    return receive(reply);
}

QUORRIN_HOT uint32_t checkConfirmation(const wire::Reader& confirmation, uint16_t requestCode)
{
    wire::Confirmation header = wire::decodeConfirmation(confirmation);
    if (header.code != (requestCode | wire::kConfirmationBit))
        return ERR_CONFIRMATION;
    if (header.status != 0)
        return ERR_DEVICE_BASE + header.errorCode;
    return 0;
}

} // namespace quorrin

using namespace quorrin;

extern "C" {

QUORRIN_API uint32_t DDI_DevOpenNode(const char* name, uint16_t accessMode, uint32_t* handle)
{
    if (name == nullptr || handle == nullptr)
        return ERR_INVALID_ARGUMENT;
    Node* node = reserveNode();
    if (node == nullptr)
        return ERR_TABLE_FULL;

    NodeCall call(*node);
    return call.run([&]() -> uint32_t {
        ResolvedName resolved;
        if (uint32_t result = resolveNodeName(name, resolved); result != 0) {
            call.drop();
            return result;
        }
        if (resolved.connectTimeout)
            library().connectTimeout.store(*resolved.connectTimeout);
        if (resolved.receiveTimeout)
            library().receiveTimeout.store(*resolved.receiveTimeout);

        auto address = net::resolveHost(resolved.host);
        if (!address) {
            call.drop();
            return ERR_HOST_UNRESOLVED;
        }
        net::Outcome connected = node->socket.connect(*address, QUORRIN_PORT, library().connectTimeout.load());
        if (!connected.ok()) {
            setLastNetworkError(connected.networkError);
            call.drop();
            return connected.result;
        }

        Reply reply;
        if (uint32_t result = call.exchange(wire::openRequest(nextSequence(), accessMode, resolved.canonical), reply);
            result != 0)
            return result;
        wire::Reader confirmation = reply.reader();
        uint32_t result = checkConfirmation(confirmation, wire::kOpenNode);
        auto opened = wire::decodeOpenConfirmation(confirmation);
        if (result == 0 && !opened)
            result = ERR_CONFIRMATION;
        if (result != 0) {
            call.drop();
            return result;
        }
        node->nodeId = opened->nodeId;
        node->openWord = opened->word;
        *handle = node->handle;
        return 0;
    });
}

QUORRIN_API uint32_t DDI_DevCloseNode(uint32_t handle)
{
    NodeCall call(handle, NodeState::Closing);
    if (call.status() != 0)
        return call.status();
    return call.run([&]() -> uint32_t {
        Reply reply;
        if (uint32_t result = call.exchange(wire::closeRequest(nextSequence(), call.node().nodeId), reply); result != 0)
            return result;
        if (uint32_t result = checkConfirmation(reply.reader(), wire::kCloseNode); result != 0)
            return result;
        call.drop();
        return 0;
    });
}

// Both claim the node like an exchange, so an exchange on another thread
// never sees the handler state half changed.
QUORRIN_API uint32_t ETH_SetExceptionHandler(uint32_t handle, ETH_EXCEPTION_HANDLER handler)
{
    NodeCall call(handle, NodeState::BusyHandler);
    if (call.status() != 0)
        return call.status();
    if (handler == nullptr)
        return ERR_INVALID_ARGUMENT;
    Node& node = call.node();
    switch (node.handlerState) {
    case HandlerState::None:
        node.handler = handler;
        node.handlerState = HandlerState::Set;
        return 0;
    case HandlerState::Pending:
        node.handler = handler;
        node.handlerState = HandlerState::Called;
        handler(handle, 0, node.pendingException);
        return 0;
    case HandlerState::Set:
    case HandlerState::Called:
        break;
    }
    return ERR_HANDLER_STATE;
}

QUORRIN_API uint32_t ETH_ClrExceptionHandler(uint32_t handle)
{
    NodeCall call(handle, NodeState::BusyHandler);
    if (call.status() != 0)
        return call.status();
    Node& node = call.node();
    if (node.handlerState == HandlerState::None || node.handlerState == HandlerState::Pending)
        return ERR_HANDLER_STATE;
    node.handlerState = HandlerState::None;
    node.handler = nullptr;
    return 0;
}

QUORRIN_API uint32_t ETH_WaitForIndication(uint32_t handle, uint32_t)
{
    Node* node = nodeForHandle(handle);
    if (node == nullptr)
        return ERR_HANDLE_RANGE;
    if (node->state.load() != NodeState::OpenIdle)
        return ERR_NODE_STATE;
    // Bytes already read past the last confirmation are what has arrived.
    if (node->inboxLength > 0) {
        auto kept = static_cast<uint32_t>(node->inboxLength);
        node->inboxLength = 0;
        return ERR_DEVICE_BASE + kept;
    }
    std::array<uint8_t, wire::kReceiveBuffer> buffer;
    std::size_t received = 0;
    net::Outcome outcome = node->socket.receiveOnce(buffer, received);
    if (!outcome.ok()) {
        setLastNetworkError(outcome.networkError);
        freeNode(*node);
        return ERR_NETWORK;
    }
    return ERR_DEVICE_BASE + static_cast<uint32_t>(received);
}

} // extern "C"
