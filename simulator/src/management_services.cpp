#include "korvo_sim/management_services.h"

#include "korvo_sim/controller.h"

#include <algorithm>
#include <cstring>

namespace korvo::sim {
namespace {

enum SubCode : uint16_t {
    kSetInternetAddress = 0x0410,
    kSetEthernetAddress = 0x0411,
    kSetPortNumbers = 0x0412,
    kGetNetConfiguration = 0x0414,
    kIdentify = 0x0415,
    kStatus = 0x0416,
    kHardwareReset = 0x0418,
    kInitiate = 0x041B,
    kAbort = 0x041C,
    kHardwareResetMode = 0x0421,
    kSetTcpMode = 0x0423,
    kGetTcpMode = 0x0424,
};

constexpr uint16_t kSubCodeOffset = 0x0500;
constexpr std::size_t kParameters = 16;
constexpr std::size_t kResults = 22;
constexpr std::size_t kTextSize = 16;
constexpr uint16_t kRunning = 0x0001;

uint16_t subCodeOf(const Request& request)
{
    return request.word(10);
}

} // namespace

Bytes managementConfirmation(const Request& request, uint16_t connectionId, uint16_t errorCode, uint16_t subCode)
{
    Bytes bytes(kResults, 0);
    writeBe16(bytes, 0, kManagementConfirmation);
    writeBe16(bytes, 4, request.sequence());
    writeBe16(bytes, 10, subCode != 0 ? subCode : static_cast<uint16_t>(subCodeOf(request) + kSubCodeOffset));
    writeBe16(bytes, 12, connectionId);
    writeBe16(bytes, 14, errorCode != 0 ? 1 : 0);
    writeBe16(bytes, 18, errorCode);
    writeBe16(bytes, 2, static_cast<uint16_t>(bytes.size()));
    return bytes;
}

ManagementServices::ManagementServices(Controller& controller)
{
    controller.setRequestHandler(kManagementRequest, [this](const Request& r, Session& s) { return serve(r, s); });
    controller.setRefusalBuilder(kManagementRequest, [](const Request& request, uint16_t error) {
        return managementConfirmation(request, request.word(12), error);
    });
}

std::optional<Bytes> ManagementServices::serve(const Request& request, Session& session)
{
    std::lock_guard lock(mutex_);
    uint16_t subCode = subCodeOf(request);
    uint16_t connectionId = request.word(12);
    if (subCode == kInitiate) {
        uint16_t id = nextConnectionId_++;
        connections_[&session] = id;
        return managementConfirmation(request, id, 0);
    }
    auto connection = connections_.find(&session);
    bool known = connection != connections_.end() && connection->second == connectionId;
    // Aborting what has already ended is no error.
    if (subCode == kAbort) {
        if (known)
            connections_.erase(connection);
        return managementConfirmation(request, connectionId, 0);
    }
    if (!known)
        return managementConfirmation(request, connectionId, kErrNotInitiated);

    uint16_t length = request.word(14);
    auto parameters = request.tail(kParameters, length);
    if (parameters.size() != length)
        return managementConfirmation(request, connectionId, kErrParameterLength);
    auto finish = [](Bytes bytes) {
        writeBe16(bytes, 2, static_cast<uint16_t>(bytes.size()));
        return bytes;
    };
    auto needs = [&](std::size_t count) { return parameters.size() >= count; };

    Bytes reply = managementConfirmation(request, connectionId, 0);
    switch (subCode) {
    case kSetInternetAddress:
        if (!needs(internetAddress_.size()))
            return managementConfirmation(request, connectionId, kErrParameterLength);
        std::copy_n(parameters.begin(), internetAddress_.size(), internetAddress_.begin());
        return reply;
    case kSetEthernetAddress: {
        if (!needs(ethernetAddress_.size() + kTextSize))
            return managementConfirmation(request, connectionId, kErrParameterLength);
        std::copy_n(parameters.begin(), ethernetAddress_.size(), ethernetAddress_.begin());
        auto text = parameters.subspan(ethernetAddress_.size(), kTextSize);
        ethernetText_.assign(text.begin(), std::find(text.begin(), text.end(), uint8_t{0}));
        return reply;
    }
    case kSetPortNumbers:
        if (!needs(4))
            return managementConfirmation(request, connectionId, kErrParameterLength);
        ports_ = {readBe16(parameters, 0), readBe16(parameters, 2)};
        return reply;
    case kGetNetConfiguration: {
        // Address, mask and gateway as set, the selector, then both ports and the TCP mode.
        reply.insert(reply.end(), internetAddress_.begin(), internetAddress_.end());
        writeBe16(reply, kResults + 12, readBe16(parameters, 0));
        writeBe16(reply, kResults + 14, ports_[0]);
        writeBe16(reply, kResults + 16, ports_[1]);
        writeBe16(reply, kResults + 18, tcpMode_[0]);
        writeBe16(reply, kResults + 20, tcpMode_[1]);
        return finish(std::move(reply));
    }
    case kIdentify: {
        Bytes block(kIdentifySize, 0);
        std::memcpy(block.data(), kProductText, std::strlen(kProductText));
        std::memcpy(block.data() + 32, kFirmwareVersion, std::strlen(kFirmwareVersion));
        std::copy(ethernetAddress_.begin(), ethernetAddress_.end(), block.begin() + 48);
        reply.insert(reply.end(), block.begin(), block.end());
        return finish(std::move(reply));
    }
    case kStatus: {
        writeBe16(reply, kResults, kRunning);
        writeBe16(reply, kResults + 2, static_cast<uint16_t>(connections_.size()));
        reply.insert(reply.end(), internetAddress_.begin(), internetAddress_.end());
        return finish(std::move(reply));
    }
    case kHardwareReset:
        if (!hardwareResetEnabled_)
            return managementConfirmation(request, connectionId, kErrResetDisabled, kHardwareResetConfirmation);
        ++hardwareResets_;
        return managementConfirmation(request, connectionId, 0, kHardwareResetConfirmation);
    case kHardwareResetMode:
        if (!needs(4))
            return managementConfirmation(request, connectionId, kErrParameterLength);
        hardwareResetEnabled_ = readBe16(parameters, 2) != 0;
        return reply;
    case kSetTcpMode:
        if (!needs(4))
            return managementConfirmation(request, connectionId, kErrParameterLength);
        tcpMode_ = {readBe16(parameters, 0), readBe16(parameters, 2)};
        return reply;
    case kGetTcpMode:
        writeBe16(reply, kResults, tcpMode_[0]);
        writeBe16(reply, kResults + 2, tcpMode_[1]);
        return finish(std::move(reply));
    default:
        return managementConfirmation(request, connectionId, kErrUnknownSubCode);
    }
}

std::array<uint8_t, 12> ManagementServices::internetAddress() const
{
    std::lock_guard lock(mutex_);
    return internetAddress_;
}

std::array<uint8_t, 6> ManagementServices::ethernetAddress() const
{
    std::lock_guard lock(mutex_);
    return ethernetAddress_;
}

std::string ManagementServices::ethernetText() const
{
    std::lock_guard lock(mutex_);
    return ethernetText_;
}

std::array<uint16_t, 2> ManagementServices::ports() const
{
    std::lock_guard lock(mutex_);
    return ports_;
}

std::array<uint16_t, 2> ManagementServices::tcpMode() const
{
    std::lock_guard lock(mutex_);
    return tcpMode_;
}

bool ManagementServices::hardwareResetEnabled() const
{
    std::lock_guard lock(mutex_);
    return hardwareResetEnabled_;
}

int ManagementServices::hardwareResets() const
{
    std::lock_guard lock(mutex_);
    return hardwareResets_;
}

std::size_t ManagementServices::openConnections() const
{
    std::lock_guard lock(mutex_);
    return connections_.size();
}

} // namespace korvo::sim
