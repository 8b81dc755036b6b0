// The controller's device-control service (request 0x0109): controller
// memory, host checking, process-data timeout, watchdog and net-fail state,
// security words, process-data-in monitoring (0xC101 indications or
// datagrams) and data watch areas with data-indication datagrams.
#pragma once

#include "korvo_sim/message.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvo::sim {

class Controller;
class Session;

inline constexpr std::size_t kMemorySize = 4096;
inline constexpr std::size_t kSecurityKeySize = 16;
// Indication word of a data-indication datagram: the watched area changed.
inline constexpr uint16_t kAreaChanged = 0x0001;

enum ControlError : uint16_t {
    kErrUnknownCommand = 0x0017,
    kErrUnknownWatch = 0x0018,
    kErrSecurity = 0x0020,
};

// A monitoring datagram: status words, then the area and its data.
Bytes monitoringDatagram(uint16_t status, uint16_t firstError, uint16_t secondError, uint16_t address,
                         uint16_t attribute, std::span<const uint8_t> data);
// A data-indication datagram: status words, indication value and word, the area and its data.
Bytes indicationDatagram(uint16_t status, uint16_t firstError, uint16_t secondError, uint32_t value, uint16_t address,
                         uint16_t attribute, uint16_t word, std::span<const uint8_t> data);

class ControlServices {
public:
    // Sends bytes unasked on the connection holding a node.
    using NodeSender = std::function<bool(uint16_t nodeId, std::span<const uint8_t> bytes)>;

    // Registers the service with the controller and watches its inputs.
    ControlServices(Controller& controller, NodeSender sendToNode);
    ControlServices(const ControlServices&) = delete;
    ControlServices& operator=(const ControlServices&) = delete;
    ~ControlServices();

    // Datagrams leave from the controller's own address, as a coupler's do,
    // so that clients can tell them from anybody else's.
    bool setSourceAddress(const std::string& address);

    struct Monitoring {
        uint16_t mode = 0;
        uint16_t port = 0;
        uint16_t address = 0;  // monitorParam: first watched input byte
        uint16_t length = 0;   // watched bytes, the length of the payload's data
        std::string host;
    };

    Bytes memory(std::size_t address, std::size_t count) const;
    void setMemory(std::size_t address, std::span<const uint8_t> bytes);
    uint16_t hostChecking() const;
    uint16_t dtiTimeout() const;
    void setWatchdogStatus(uint16_t status);
    void setNetFailStatus(uint16_t first, uint16_t second);
    // Values reported by a get; a real controller keeps at most 32, a faulty one more.
    void setSecurityValues(std::vector<uint32_t> values);
    std::vector<uint32_t> securityValues() const;
    std::optional<Monitoring> monitoring(uint16_t nodeId) const;
    // The port a node announced for data indications, 0 when none.
    uint16_t indicationPort(uint16_t nodeId) const;
    std::size_t watchAreaCount(uint16_t nodeId) const;

    // Raw datagrams to a node's announced ports; false when it announced none.
    bool sendMonitoringDatagram(uint16_t nodeId, std::span<const uint8_t> bytes);
    bool sendIndicationDatagram(uint16_t nodeId, std::span<const uint8_t> bytes);

private:
    struct WatchArea {
        uint16_t address = 0;
        uint16_t length = 0;
        uint16_t attribute = 0;
        int32_t watchValue = 0;
    };
    struct NodeControl {
        Monitoring monitoring;
        bool indicationsActive = false;
        uint16_t indicationPort = 0;
        std::string host;
        std::map<uint32_t, WatchArea> areas;
    };
    struct Outgoing {
        uint16_t nodeId;
        bool datagram;
        std::string host;
        uint16_t port;
        Bytes bytes;
    };

    std::optional<Bytes> serve(const Request& request, Session& session);
    Bytes command(const Request& request, Session& session, uint16_t code, std::vector<Outgoing>& outgoing);
    void inputsChanged(std::size_t address, std::size_t count);
    void collectMonitoring(uint16_t nodeId, const NodeControl& node, std::vector<Outgoing>& outgoing) const;
    void collectIndication(uint16_t nodeId, const NodeControl& node, uint32_t id, const WatchArea& area,
                           std::vector<Outgoing>& outgoing) const;
    void deliver(std::vector<Outgoing>& outgoing);
    bool sendDatagram(const std::string& host, uint16_t port, std::span<const uint8_t> bytes);
    // To the node's monitoring listener, or to its data-indication listener.
    bool sendToListener(uint16_t nodeId, bool monitoring, std::span<const uint8_t> bytes);

    Controller& controller_;
    NodeSender sendToNode_;
    int datagramFd_ = -1;

    mutable std::mutex mutex_;
    std::array<uint8_t, kMemorySize> memory_{};
    uint16_t hostChecking_ = 0;
    uint16_t dtiTimeout_ = 0;
    uint16_t watchdogStatus_ = 0;
    std::array<uint16_t, 2> netFailStatus_{};
    uint16_t netFailMode_ = 0;
    Bytes netFailModeData_;
    std::array<uint16_t, 3> securityWords_{};
    std::array<uint8_t, kSecurityKeySize> securityKey_{};
    std::vector<uint32_t> securityValues_;
    std::map<uint16_t, NodeControl> nodes_;
    uint32_t nextWatchId_ = 1;
};

} // namespace korvo::sim
