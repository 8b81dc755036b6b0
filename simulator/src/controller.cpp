#include "korvo_sim/controller.h"

#include "korvo_sim/simulator.h"

#include <algorithm>
#include <chrono>

namespace korvo::sim {
namespace {

enum NodeService : uint16_t {
    kOpenNode = 0x0101,
    kCloseNode = 0x0102,
    kWriteData = 0x0103,
    kReadData = 0x0104,
    kSendMessage = 0x0105,
    kReceiveMessage = 0x0106,
    kSetNotification = 0x0107,
    kClearNotification = 0x0108,
    kReadWriteData = 0x010A,
    kDiagnostic = 0x0201,
    kDipSwitch = 0x0202,
    kSysFail = 0x0203,
};

constexpr std::size_t kMaxReceivedMessage = 2024;
// Node ids run from 1 to 65535; 0 is never given.
constexpr std::size_t kNodeIds = 65535;
// A held receive looks this often whether its client is still there.
constexpr auto kClientCheckInterval = std::chrono::milliseconds(100);

bool inImage(std::size_t address, std::size_t count)
{
    return address <= kImageSize && count <= kImageSize - address;
}

std::shared_ptr<const RequestHandler> shared(RequestHandler handler)
{
    return std::make_shared<const RequestHandler>(std::move(handler));
}

// The bit that marks a built-in node service as replaced; 0 for other codes.
// A switch, not a search: every request asks.
uint32_t nodeServiceBit(uint16_t code)
{
    switch (code) {
    case kOpenNode: return 1u << 0;
    case kCloseNode: return 1u << 1;
    case kWriteData: return 1u << 2;
    case kReadData: return 1u << 3;
    case kSendMessage: return 1u << 4;
    case kReceiveMessage: return 1u << 5;
    case kSetNotification: return 1u << 6;
    case kClearNotification: return 1u << 7;
    case kReadWriteData: return 1u << 8;
    case kDiagnostic: return 1u << 9;
    case kDipSwitch: return 1u << 10;
    case kSysFail: return 1u << 11;
    default: return 0;
    }
}

} // namespace

Controller::Controller() = default;

[[gnu::hot]] std::optional<Bytes> Controller::serveNodeService(const Request& request, Session& session)
{
    switch (request.code()) {
    case kOpenNode: return openNode(request, session);
    case kCloseNode: return closeNode(request, session);
    case kWriteData: return writeData(request, session);
    case kReadData: return readData(request, session);
    case kReadWriteData: return readWriteData(request, session);
    case kSendMessage: return sendMessage(request, session);
    case kReceiveMessage: return receiveMessage(request, session);
    case kSetNotification: return notification(request, session, true);
    case kClearNotification: return notification(request, session, false);
    case kDiagnostic:
    case kDipSwitch:
    case kSysFail: return registers(request, session);
    default: return ConfirmationBuilder(request, kErrUnknownService).finish();
    }
}

void Controller::setRequestHandler(uint16_t code, RequestHandler handler)
{
    std::lock_guard lock(mutex_);
    handlers_[code] = shared(std::move(handler));
    replacedNodeServices_.fetch_or(nodeServiceBit(code), std::memory_order_release);
}

void Controller::setRefusalBuilder(uint16_t code, RefusalBuilder builder)
{
    std::lock_guard lock(mutex_);
    refusals_[code] = std::move(builder);
}

Bytes Controller::refuse(const Request& request, uint16_t errorCode)
{
    RefusalBuilder builder;
    {
        std::lock_guard lock(mutex_);
        if (auto found = refusals_.find(request.code()); found != refusals_.end())
            builder = found->second;
    }
    return builder ? builder(request, errorCode) : ConfirmationBuilder(request, errorCode).finish();
}

void Controller::addInputsObserver(InputsObserver observer)
{
    std::lock_guard lock(mutex_);
    inputsObservers_.push_back(std::move(observer));
}

[[gnu::hot]] std::optional<Bytes> Controller::handle(const Request& request, Session& session)
{
    // The node services answer without a table lookup unless a test or a
    // family of its own has replaced them: every process-data exchange comes here.
    const uint32_t bit = nodeServiceBit(request.code());
    std::optional<Bytes> reply = bit != 0 && (replacedNodeServices_.load(std::memory_order_acquire) & bit) == 0
                                     ? serveNodeService(request, session)
                                     : serveByHandler(request, session);
    const uint16_t exceptionWord = exceptionWord_.load(std::memory_order_relaxed);
    if (reply && exceptionWord != 0)
        writeBe16(*reply, kExceptionOffset, exceptionWord);
    return reply;
}

std::optional<Bytes> Controller::serveByHandler(const Request& request, Session& session)
{
    std::shared_ptr<const RequestHandler> handler;
    {
        std::lock_guard lock(mutex_);
        if (auto found = handlers_.find(request.code()); found != handlers_.end())
            handler = found->second;
    }
    return handler ? (*handler)(request, session) : serveNodeService(request, session);
}

void Controller::endSession(Session& session)
{
    std::lock_guard lock(mutex_);
    std::erase_if(nodes_, [&](const auto& entry) { return entry.second.session == &session; });
}

void Controller::shutdown()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    mailboxChanged_.notify_all();
}

[[gnu::hot]] Controller::Node* Controller::nodeOf(const Request& request, Session& session)
{
    auto found = nodes_.find(request.nodeId());
    if (found == nodes_.end() || found->second.session != &session)
        return nullptr;
    return &found->second;
}

std::optional<Bytes> Controller::openNode(const Request& request, Session& session)
{
    uint16_t nameLength = request.word(12);
    auto nameBytes = request.tail(14, nameLength);
    std::string name(nameBytes.begin(), nameBytes.end());
    if (!name.empty() && name.back() == '\0')
        name.pop_back();
    if (name != kMailboxNode && name != kDataNode)
        return ConfirmationBuilder(request, kErrUnknownNode).finish();
    if (request.nodeId() != kAccessMode)
        return ConfirmationBuilder(request, kErrAccessMode).finish();

    std::lock_guard lock(mutex_);
    if (nodes_.size() >= kNodeIds)
        return ConfirmationBuilder(request, kErrNodeTableFull).finish();
    while (nodes_.contains(nextNodeId_) || nextNodeId_ == 0)
        ++nextNodeId_;
    uint16_t id = nextNodeId_++;
    Node& node = nodes_[id];
    node.name = name;
    node.session = &session;
    return ConfirmationBuilder(request).word(16, id).word(18, 0).finish();
}

std::optional<Bytes> Controller::closeNode(const Request& request, Session& session)
{
    std::lock_guard lock(mutex_);
    if (nodeOf(request, session) == nullptr)
        return ConfirmationBuilder(request, kErrNodeNotOpen).finish();
    nodes_.erase(request.nodeId());
    return ConfirmationBuilder(request).finish();
}

[[gnu::hot]] std::optional<Bytes> Controller::writeData(const Request& request, Session& session)
{
    std::lock_guard lock(mutex_);
    if (nodeOf(request, session) == nullptr)
        return ConfirmationBuilder(request, kErrNodeNotOpen).finish();
    if (writeRefusal_ != WriteRefusal::None)
        return ConfirmationBuilder(request, static_cast<uint16_t>(writeRefusal_)).finish();
    uint16_t address = request.word(12);
    uint16_t length = request.word(14);
    auto data = request.tail(18, length);
    if (!inImage(address, length) || data.size() != length)
        return ConfirmationBuilder(request, kErrAddressRange).finish();
    std::copy(data.begin(), data.end(), outputs_.begin() + address);
    return ConfirmationBuilder(request).finish();
}

[[gnu::hot]] std::optional<Bytes> Controller::readData(const Request& request, Session& session)
{
    std::lock_guard lock(mutex_);
    if (nodeOf(request, session) == nullptr)
        return ConfirmationBuilder(request, kErrNodeNotOpen).finish();
    uint16_t address = request.word(12);
    uint16_t length = request.word(14);
    if (!inImage(address, length))
        return ConfirmationBuilder(request, kErrAddressRange).finish();
    return ConfirmationBuilder(request)
        .word(16, address)
        .word(18, length)
        .data(20, std::span<const uint8_t>(inputs_).subspan(address, length))
        .finish();
}

std::optional<Bytes> Controller::readWriteData(const Request& request, Session& session)
{
    std::lock_guard lock(mutex_);
    if (nodeOf(request, session) == nullptr)
        return ConfirmationBuilder(request, kErrNodeNotOpen).finish();
    uint16_t readAddress = request.word(12);
    uint16_t readLength = request.word(14);
    uint16_t writeAddress = request.word(18);
    uint16_t writeLength = request.word(20);
    auto data = request.tail(24, writeLength);
    if (!inImage(readAddress, readLength) || !inImage(writeAddress, writeLength) || data.size() != writeLength)
        return ConfirmationBuilder(request, kErrAddressRange).finish();

    // A refused write still reads: the confirmation is negative but carries the inputs.
    uint16_t error = static_cast<uint16_t>(writeRefusal_);
    if (writeRefusal_ == WriteRefusal::None)
        std::copy(data.begin(), data.end(), outputs_.begin() + writeAddress);
    return ConfirmationBuilder(request, error)
        .word(16, readAddress)
        .word(18, readLength)
        .data(20, std::span<const uint8_t>(inputs_).subspan(readAddress, readLength))
        .finish();
}

[[gnu::hot]] std::optional<Bytes> Controller::sendMessage(const Request& request, Session& session)
{
    std::shared_ptr<const MailboxHandler> handler;
    MailboxMessage message;
    uint16_t id = request.nodeId();
    {
        std::lock_guard lock(mutex_);
        Node* node = nodeOf(request, session);
        if (node == nullptr)
            return ConfirmationBuilder(request, kErrNodeNotOpen).finish();
        uint16_t length = request.word(16);
        auto data = request.tail(18, length);
        if (data.size() != length)
            return ConfirmationBuilder(request, kErrMessageLength).finish();
        // A full history gives up its oldest message, whose buffer takes the new one.
        if (node->sent.size() == kSentHistory) {
            message.data = std::move(node->sent.front().data);
            node->sent.pop_front();
        }
        message.tag1 = request.word(12);
        message.tag2 = request.word(14);
        message.data.assign(data.begin(), data.end());
        handler = mailboxHandler_;
    }
    std::vector<MailboxMessage> replies;
    if (handler)
        replies = (*handler)(id, message);
    {
        // The history takes the message itself once the handler is done with
        // it; the node's own requests come one after another, so the history
        // keeps their order.
        std::lock_guard lock(mutex_);
        if (auto found = nodes_.find(id); found != nodes_.end()) {
            Node& node = found->second;
            node.sent.push_back(std::move(message));
            // One by one at the back: a range insert into the empty queue would
            // reserve room at its front, which costs a new block every time.
            for (MailboxMessage& reply : replies)
                node.queue.push_back(std::move(reply));
        }
    }
    mailboxChanged_.notify_all();
    return ConfirmationBuilder(request).word(16, 0).finish();
}

[[gnu::hot]] std::optional<Bytes> Controller::receiveMessage(const Request& request, Session& session)
{
    std::unique_lock lock(mutex_);
    Node* node = nodeOf(request, session);
    if (node == nullptr)
        return ConfirmationBuilder(request, kErrNodeNotOpen).finish();
    uint16_t id = request.nodeId();
    // With notification on, a receive is held until a message arrives.
    if (node->queue.empty() && node->notification) {
        auto arrived = [&] {
            auto found = nodes_.find(id);
            return stopping_ || found == nodes_.end() || !found->second.queue.empty();
        };
        // Waits in slices so a receive held for a client that has gone away
        // ends, instead of keeping this thread and its connection forever.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(node->waitTime, 0));
        bool unlimited = node->waitTime < 0;
        for (;;) {
            auto slice = kClientCheckInterval;
            if (!unlimited) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0)
                    break;
                slice = std::min(slice, left);
            }
            if (mailboxChanged_.wait_for(lock, slice, arrived))
                break;
            if (session.peerGone())
                return std::nullopt;
        }
        node = nodeOf(request, session);
    }
    if (node == nullptr || node->queue.empty())
        return ConfirmationBuilder(request, kErrNoMessage).finish();

    // The size the client announces is not enforced: a client must cope with a longer message.
    MailboxMessage message = std::move(node->queue.front());
    node->queue.pop_front();
    if (message.data.size() > kMaxReceivedMessage)
        message.data.resize(kMaxReceivedMessage);
    return ConfirmationBuilder(request)
        .word(18, message.tag1)
        .word(20, message.tag2)
        .word(22, static_cast<uint16_t>(message.data.size()))
        .data(24, message.data)
        .finish();
}

std::optional<Bytes> Controller::notification(const Request& request, Session& session, bool active)
{
    std::lock_guard lock(mutex_);
    Node* node = nodeOf(request, session);
    if (node == nullptr)
        return ConfirmationBuilder(request, kErrNodeNotOpen).finish();
    node->notification = active;
    node->waitTime = static_cast<int32_t>(request.dword(22));
    return ConfirmationBuilder(request).finish();
}

std::optional<Bytes> Controller::registers(const Request& request, Session& session)
{
    std::lock_guard lock(mutex_);
    if (nodeOf(request, session) == nullptr)
        return ConfirmationBuilder(request, kErrNodeNotOpen).finish();
    ConfirmationBuilder confirmation(request);
    switch (request.code()) {
    case kDiagnostic:
        confirmation.word(18, diagnosisStatus_).word(20, diagnosisParameter_);
        break;
    case kDipSwitch:
        confirmation.word(18, dipSwitch_);
        break;
    default:
        confirmation.word(18, sysFail_);
        break;
    }
    return confirmation.finish();
}

void Controller::setInputs(std::size_t address, std::span<const uint8_t> bytes)
{
    std::vector<InputsObserver> observers;
    {
        std::lock_guard lock(mutex_);
        if (!inImage(address, bytes.size()))
            return;
        std::copy(bytes.begin(), bytes.end(), inputs_.begin() + static_cast<std::ptrdiff_t>(address));
        observers = inputsObservers_;
    }
    for (const auto& observer : observers)
        observer(address, bytes.size());
}

void Controller::setOutputs(std::size_t address, std::span<const uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    if (inImage(address, bytes.size()))
        std::copy(bytes.begin(), bytes.end(), outputs_.begin() + static_cast<std::ptrdiff_t>(address));
}

Bytes Controller::inputs(std::size_t address, std::size_t count) const
{
    std::lock_guard lock(mutex_);
    if (!inImage(address, count))
        return {};
    return Bytes(inputs_.begin() + static_cast<std::ptrdiff_t>(address),
                 inputs_.begin() + static_cast<std::ptrdiff_t>(address + count));
}

Bytes Controller::outputs(std::size_t address, std::size_t count) const
{
    std::lock_guard lock(mutex_);
    if (!inImage(address, count))
        return {};
    return Bytes(outputs_.begin() + static_cast<std::ptrdiff_t>(address),
                 outputs_.begin() + static_cast<std::ptrdiff_t>(address + count));
}

void Controller::setMailboxHandler(MailboxHandler handler)
{
    std::lock_guard lock(mutex_);
    mailboxHandler_ = handler ? std::make_shared<const MailboxHandler>(std::move(handler)) : nullptr;
}

void Controller::queueMessage(uint16_t nodeId, MailboxMessage message)
{
    {
        std::lock_guard lock(mutex_);
        auto found = nodes_.find(nodeId);
        if (found == nodes_.end())
            return;
        found->second.queue.push_back(std::move(message));
    }
    mailboxChanged_.notify_all();
}

std::vector<MailboxMessage> Controller::sentMessages(uint16_t nodeId) const
{
    std::lock_guard lock(mutex_);
    auto found = nodes_.find(nodeId);
    if (found == nodes_.end())
        return {};
    return std::vector<MailboxMessage>(found->second.sent.begin(), found->second.sent.end());
}

std::vector<uint16_t> Controller::openNodes(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    std::vector<uint16_t> ids;
    for (const auto& [id, node] : nodes_) {
        if (node.name == name)
            ids.push_back(id);
    }
    return ids;
}

Session* Controller::sessionOf(uint16_t nodeId) const
{
    std::lock_guard lock(mutex_);
    auto found = nodes_.find(nodeId);
    return found == nodes_.end() ? nullptr : found->second.session;
}

bool Controller::notificationActive(uint16_t nodeId) const
{
    std::lock_guard lock(mutex_);
    auto found = nodes_.find(nodeId);
    return found != nodes_.end() && found->second.notification;
}

void Controller::setDiagnosis(uint16_t status, uint16_t parameter)
{
    std::lock_guard lock(mutex_);
    diagnosisStatus_ = status;
    diagnosisParameter_ = parameter;
}

void Controller::setDipSwitch(uint16_t value)
{
    std::lock_guard lock(mutex_);
    dipSwitch_ = value;
}

void Controller::setSysFail(uint16_t value)
{
    std::lock_guard lock(mutex_);
    sysFail_ = value;
}

void Controller::setWriteRefusal(WriteRefusal refusal)
{
    std::lock_guard lock(mutex_);
    writeRefusal_ = refusal;
}

void Controller::setExceptionWord(uint16_t word)
{
    exceptionWord_.store(word, std::memory_order_relaxed);
}

} // namespace korvo::sim
