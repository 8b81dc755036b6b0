#include "korvo_sim/control_services.h"

#include "korvo_sim/controller.h"
#include "korvo_sim/simulator.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace korvo::sim {
namespace {

constexpr uint16_t kControl = 0x0109;
constexpr std::size_t kPayload = 16;
constexpr std::size_t kResults = 22;
constexpr std::size_t kMaxMemoryRead = 2048 - 30;

enum Command : uint16_t {
    kReadMemory = 0x0801,
    kWriteMemory = 0x0802,
    kSetHostChecking = 0x0803,
    kClearHostChecking = 0x0804,
    kSetDtiTimeout = 0x0805,
    kClearDtiTimeout = 0x0806,
    kActivateMonitoring = 0x0807,
    kDeactivateMonitoring = 0x0808,
    kGetWatchdog = 0x0809,
    kClearWatchdog = 0x080A,
    kGetNetFail = 0x080B,
    kClearNetFail = 0x080C,
    kSetNetFail = 0x080D,
    kSetNetFailMode = 0x080E,
    kGetNetFailMode = 0x080F,
    kLogin = 0x0810,
    kSetSecurity = 0x0812,
    kGetSecurity = 0x0813,
    kActivateIndication = 0x0820,
    kDeactivateIndication = 0x0821,
    kSetWatchArea = 0x0822,
    kClearWatchArea = 0x0823,
    kClearAllWatchAreas = 0x0824,
};

constexpr uint16_t kDatagramMode = 2;
constexpr uint16_t kCallbackMode = 1;

bool overlaps(std::size_t address, std::size_t count, std::size_t otherAddress, std::size_t otherCount)
{
    return address < otherAddress + otherCount && otherAddress < address + count;
}

bool inImage(std::size_t address, std::size_t count)
{
    return address <= kImageSize && count <= kImageSize - address;
}

bool inMemory(std::size_t address, std::size_t count)
{
    return address <= kMemorySize && count <= kMemorySize - address;
}

// The peer "a.b.c.d:port" of a session without its port.
std::string hostOf(const Session& session)
{
    const std::string& peer = session.peer();
    return peer.substr(0, peer.find(':'));
}

Bytes refusal(const Request& request, uint16_t command, uint16_t error)
{
    return ConfirmationBuilder(request, error).word(18, command).finish();
}

} // namespace

Bytes monitoringDatagram(uint16_t status, uint16_t firstError, uint16_t secondError, uint16_t address,
                         uint16_t attribute, std::span<const uint8_t> data)
{
    Bytes bytes(24, 0);
    writeBe16(bytes, 10, status);
    writeBe16(bytes, 12, firstError);
    writeBe16(bytes, 14, secondError);
    writeBe16(bytes, 18, address);
    writeBe16(bytes, 20, static_cast<uint16_t>(data.size()));
    writeBe16(bytes, 22, attribute);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

Bytes indicationDatagram(uint16_t status, uint16_t firstError, uint16_t secondError, uint32_t value, uint16_t address,
                         uint16_t attribute, uint16_t word, std::span<const uint8_t> data)
{
    Bytes bytes(32, 0);
    writeBe16(bytes, 10, status);
    writeBe16(bytes, 12, firstError);
    writeBe16(bytes, 14, secondError);
    writeBe32(bytes, 16, value);
    writeBe16(bytes, 22, address);
    writeBe16(bytes, 24, static_cast<uint16_t>(data.size()));
    writeBe16(bytes, 26, attribute);
    writeBe16(bytes, 28, word);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

ControlServices::ControlServices(Controller& controller, NodeSender sendToNode)
    : controller_(controller), sendToNode_(std::move(sendToNode))
{
    datagramFd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    controller_.setRequestHandler(kControl, [this](const Request& r, Session& s) { return serve(r, s); });
    controller_.addInputsObserver([this](std::size_t address, std::size_t count) { inputsChanged(address, count); });
}

ControlServices::~ControlServices()
{
    if (datagramFd_ >= 0)
        ::close(datagramFd_);
}

bool ControlServices::setSourceAddress(const std::string& address)
{
    sockaddr_in local{};
    local.sin_family = AF_INET;
    return datagramFd_ >= 0 && inet_pton(AF_INET, address.c_str(), &local.sin_addr) == 1
           && ::bind(datagramFd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

std::optional<Bytes> ControlServices::serve(const Request& request, Session& session)
{
    uint16_t code = request.word(12);
    if (controller_.sessionOf(request.nodeId()) != &session)
        return refusal(request, code, kErrNodeNotOpen);
    std::vector<Outgoing> outgoing;
    Bytes reply;
    {
        std::lock_guard lock(mutex_);
        reply = command(request, session, code, outgoing);
    }
    deliver(outgoing);
    return reply;
}

Bytes ControlServices::command(const Request& request, Session& session, uint16_t code, std::vector<Outgoing>& outgoing)
{
    uint16_t nodeId = request.nodeId();
    NodeControl& node = nodes_[nodeId];
    node.host = hostOf(session);
    auto positive = [&] { return ConfirmationBuilder(request).word(18, code); };

    switch (code) {
    case kReadMemory: {
        uint32_t address = request.dword(kPayload);
        uint32_t length = request.dword(kPayload + 4);
        if (!inMemory(address, length) || length > kMaxMemoryRead)
            return refusal(request, code, kErrAddressRange);
        return positive()
            .dword(kResults, address)
            .dword(kResults + 4, length)
            .data(kResults + 8, std::span<const uint8_t>(memory_).subspan(address, length))
            .finish();
    }
    case kWriteMemory: {
        uint32_t address = request.dword(kPayload);
        uint32_t length = request.dword(kPayload + 4);
        auto data = request.tail(kPayload + 8, length);
        if (!inMemory(address, length) || data.size() != length)
            return refusal(request, code, kErrAddressRange);
        std::copy(data.begin(), data.end(), memory_.begin() + address);
        return positive().finish();
    }
    case kSetHostChecking:
        hostChecking_ = request.word(kPayload);
        return positive().word(kResults, hostChecking_).finish();
    case kClearHostChecking:
        hostChecking_ = 0;
        return positive().finish();
    case kSetDtiTimeout:
        dtiTimeout_ = request.word(kPayload);
        return positive().word(kResults, dtiTimeout_).finish();
    case kClearDtiTimeout:
        dtiTimeout_ = 0;
        return positive().finish();
    case kActivateMonitoring: {
        Monitoring& monitoring = node.monitoring;
        monitoring.mode = request.word(kPayload);
        monitoring.port = request.word(kPayload + 2);
        monitoring.address = request.word(kPayload + 4);
        monitoring.length = request.word(kPayload + 6);
        monitoring.host = node.host;
        if (!inImage(monitoring.address, monitoring.length)) {
            monitoring.mode = 0;
            return refusal(request, code, kErrAddressRange);
        }
        // The datagram waits in the listener, which the client bound before asking.
        if (monitoring.mode == kDatagramMode)
            collectMonitoring(nodeId, node, outgoing);
        return positive().finish();
    }
    case kDeactivateMonitoring:
        node.monitoring.mode = 0;
        return positive().finish();
    case kGetWatchdog:
        return positive().word(kResults, watchdogStatus_).finish();
    case kClearWatchdog:
        watchdogStatus_ = 0;
        return positive().finish();
    case kGetNetFail:
        return positive().word(kResults, netFailStatus_[0]).word(kResults + 2, netFailStatus_[1]).finish();
    case kClearNetFail:
        netFailStatus_ = {};
        return positive().finish();
    case kSetNetFail:
        netFailStatus_[0] |= 1;
        return positive().finish();
    case kSetNetFailMode: {
        uint16_t length = request.word(kPayload + 2);
        auto data = request.tail(kPayload + 4, length);
        if (data.size() != length)
            return refusal(request, code, kErrMessageLength);
        netFailMode_ = request.word(kPayload);
        netFailModeData_.assign(data.begin(), data.end());
        return positive().finish();
    }
    case kGetNetFailMode:
        return positive()
            .word(kResults, netFailMode_)
            .word(kResults + 2, static_cast<uint16_t>(netFailModeData_.size()))
            .data(kResults + 4, netFailModeData_)
            .finish();
    case kLogin: {
        auto key = request.tail(kPayload + 4, kSecurityKeySize);
        if (!std::equal(key.begin(), key.end(), securityKey_.begin(), securityKey_.end()))
            return refusal(request, code, kErrSecurity);
        return positive().finish();
    }
    case kSetSecurity: {
        uint16_t count = request.word(kPayload + 22);
        auto key = request.tail(kPayload + 6, kSecurityKeySize);
        auto values = request.tail(kPayload + 24, 4 * std::size_t{count});
        if (key.size() != kSecurityKeySize || values.size() != 4 * std::size_t{count})
            return refusal(request, code, kErrMessageLength);
        for (std::size_t i = 0; i < securityWords_.size(); ++i)
            securityWords_[i] = request.word(kPayload + 2 * i);
        std::copy(key.begin(), key.end(), securityKey_.begin());
        securityValues_.clear();
        for (std::size_t i = 0; i < count; ++i)
            securityValues_.push_back(readBe32(values, 4 * i));
        return positive().finish();
    }
    case kGetSecurity: {
        ConfirmationBuilder reply = positive();
        reply.word(kResults, request.word(kPayload))
            .word(kResults + 2, securityWords_[1])
            .word(kResults + 4, securityWords_[2])
            .data(kResults + 6, securityKey_)
            .word(kResults + 22, static_cast<uint16_t>(securityValues_.size()));
        for (std::size_t i = 0; i < securityValues_.size(); ++i)
            reply.dword(kResults + 24 + 4 * i, securityValues_[i]);
        return reply.finish();
    }
    case kActivateIndication:
        node.indicationsActive = request.word(kPayload) == kDatagramMode;
        node.indicationPort = request.word(kPayload + 2);
        if (node.indicationsActive) {
            for (const auto& [id, area] : node.areas)
                collectIndication(nodeId, node, id, area, outgoing);
        }
        return positive().finish();
    case kDeactivateIndication:
        node.indicationsActive = false;
        return positive().finish();
    case kSetWatchArea: {
        WatchArea area{request.word(kPayload), request.word(kPayload + 2), request.word(kPayload + 8),
                       static_cast<int32_t>(request.dword(kPayload + 4))};
        if (!inImage(area.address, area.length))
            return refusal(request, code, kErrAddressRange);
        uint32_t id = nextWatchId_++;
        node.areas[id] = area;
        return positive().dword(kResults, id).finish();
    }
    case kClearWatchArea:
        if (node.areas.erase(request.dword(kPayload)) == 0)
            return refusal(request, code, kErrUnknownWatch);
        return positive().finish();
    case kClearAllWatchAreas:
        node.areas.clear();
        return positive().finish();
    default:
        return refusal(request, code, kErrUnknownCommand);
    }
}

void ControlServices::collectMonitoring(uint16_t nodeId, const NodeControl& node, std::vector<Outgoing>& outgoing) const
{
    const Monitoring& monitoring = node.monitoring;
    Bytes data = controller_.inputs(monitoring.address, monitoring.length);
    if (monitoring.mode == kDatagramMode) {
        outgoing.push_back({nodeId, true, monitoring.host, monitoring.port,
                            monitoringDatagram(0, 0, 0, monitoring.address, 0, data)});
    } else if (monitoring.mode == kCallbackMode) {
        outgoing.push_back({nodeId, false, {}, 0, processDataIndication(monitoring.address, 0, data)});
    }
}

void ControlServices::collectIndication(uint16_t nodeId, const NodeControl& node, uint32_t id, const WatchArea& area,
                                        std::vector<Outgoing>& outgoing) const
{
    Bytes data = controller_.inputs(area.address, area.length);
    outgoing.push_back({nodeId, true, node.host, node.indicationPort,
                        indicationDatagram(0, 0, 0, id, area.address, area.attribute, kAreaChanged, data)});
}

void ControlServices::inputsChanged(std::size_t address, std::size_t count)
{
    std::vector<Outgoing> outgoing;
    {
        std::lock_guard lock(mutex_);
        for (auto it = nodes_.begin(); it != nodes_.end();) {
            // Entries of closed nodes go, so nothing is reported for them.
            if (controller_.sessionOf(it->first) == nullptr) {
                it = nodes_.erase(it);
                continue;
            }
            const NodeControl& node = it->second;
            if (node.monitoring.mode != 0 && overlaps(address, count, node.monitoring.address, node.monitoring.length))
                collectMonitoring(it->first, node, outgoing);
            if (node.indicationsActive) {
                for (const auto& [id, area] : node.areas) {
                    if (overlaps(address, count, area.address, area.length))
                        collectIndication(it->first, node, id, area, outgoing);
                }
            }
            ++it;
        }
    }
    deliver(outgoing);
}

void ControlServices::deliver(std::vector<Outgoing>& outgoing)
{
    for (const Outgoing& message : outgoing) {
        if (message.datagram)
            sendDatagram(message.host, message.port, message.bytes);
        else
            sendToNode_(message.nodeId, message.bytes);
    }
}

bool ControlServices::sendDatagram(const std::string& host, uint16_t port, std::span<const uint8_t> bytes)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    // Datagrams go to the loopback peer only, whatever a client announces.
    if (port == 0 || datagramFd_ < 0 || inet_pton(AF_INET, host.c_str(), &target.sin_addr) != 1
        || (ntohl(target.sin_addr.s_addr) >> 24) != 127)
        return false;
    return ::sendto(datagramFd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&target),
                    sizeof target)
           == static_cast<ssize_t>(bytes.size());
}

Bytes ControlServices::memory(std::size_t address, std::size_t count) const
{
    std::lock_guard lock(mutex_);
    if (!inMemory(address, count))
        return {};
    return Bytes(memory_.begin() + static_cast<std::ptrdiff_t>(address),
                 memory_.begin() + static_cast<std::ptrdiff_t>(address + count));
}

void ControlServices::setMemory(std::size_t address, std::span<const uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    if (inMemory(address, bytes.size()))
        std::copy(bytes.begin(), bytes.end(), memory_.begin() + static_cast<std::ptrdiff_t>(address));
}

uint16_t ControlServices::hostChecking() const
{
    std::lock_guard lock(mutex_);
    return hostChecking_;
}

uint16_t ControlServices::dtiTimeout() const
{
    std::lock_guard lock(mutex_);
    return dtiTimeout_;
}

void ControlServices::setWatchdogStatus(uint16_t status)
{
    std::lock_guard lock(mutex_);
    watchdogStatus_ = status;
}

void ControlServices::setNetFailStatus(uint16_t first, uint16_t second)
{
    std::lock_guard lock(mutex_);
    netFailStatus_ = {first, second};
}

void ControlServices::setSecurityValues(std::vector<uint32_t> values)
{
    std::lock_guard lock(mutex_);
    securityValues_ = std::move(values);
}

std::vector<uint32_t> ControlServices::securityValues() const
{
    std::lock_guard lock(mutex_);
    return securityValues_;
}

std::optional<ControlServices::Monitoring> ControlServices::monitoring(uint16_t nodeId) const
{
    std::lock_guard lock(mutex_);
    auto found = nodes_.find(nodeId);
    if (found == nodes_.end())
        return std::nullopt;
    return found->second.monitoring;
}

uint16_t ControlServices::indicationPort(uint16_t nodeId) const
{
    std::lock_guard lock(mutex_);
    auto found = nodes_.find(nodeId);
    return found == nodes_.end() ? 0 : found->second.indicationPort;
}

std::size_t ControlServices::watchAreaCount(uint16_t nodeId) const
{
    std::lock_guard lock(mutex_);
    auto found = nodes_.find(nodeId);
    return found == nodes_.end() ? 0 : found->second.areas.size();
}

bool ControlServices::sendMonitoringDatagram(uint16_t nodeId, std::span<const uint8_t> bytes)
{
    return sendToListener(nodeId, true, bytes);
}

bool ControlServices::sendIndicationDatagram(uint16_t nodeId, std::span<const uint8_t> bytes)
{
    return sendToListener(nodeId, false, bytes);
}

bool ControlServices::sendToListener(uint16_t nodeId, bool monitoring, std::span<const uint8_t> bytes)
{
    std::string host;
    uint16_t port = 0;
    {
        std::lock_guard lock(mutex_);
        auto found = nodes_.find(nodeId);
        if (found == nodes_.end())
            return false;
        const NodeControl& node = found->second;
        host = monitoring ? node.monitoring.host : node.host;
        port = monitoring ? node.monitoring.port : node.indicationPort;
    }
    return sendDatagram(host, port, bytes);
}

} // namespace korvo::sim
