// The controller's management service (request 0x0401 with a sub-code):
// management connections, network settings, identification, status,
// hardware reset and TCP mode.
#pragma once

#include "korvo_sim/message.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace korvo::sim {

class Controller;
class Session;

inline constexpr uint16_t kManagementRequest = 0x0401;
inline constexpr uint16_t kManagementConfirmation = 0x0901;
inline constexpr std::size_t kIdentifySize = 96;
inline constexpr const char* kProductText = "KORVO NC ETH";
inline constexpr const char* kFirmwareVersion = "V1.04";
// The hardware reset is confirmed with the status service's sub-code.
inline constexpr uint16_t kHardwareResetConfirmation = 0x0916;

enum ManagementError : uint16_t {
    kErrUnknownSubCode = 0x0050,
    kErrNotInitiated = 0x0051,
    kErrResetDisabled = 0x0052,
    kErrParameterLength = 0x0053,
};

// A management confirmation: sub-code + 0500h (or `subCode` as given when
// nonzero), the connection id, status and error code.
Bytes managementConfirmation(const Request& request, uint16_t connectionId, uint16_t errorCode,
                             uint16_t subCode = 0);

class ManagementServices {
public:
    // Registers the service and its refusals with the controller.
    explicit ManagementServices(Controller& controller);
    ManagementServices(const ManagementServices&) = delete;
    ManagementServices& operator=(const ManagementServices&) = delete;

    // The twelve bytes of the last ETH_SetInternetAddress, as received.
    std::array<uint8_t, 12> internetAddress() const;
    std::array<uint8_t, 6> ethernetAddress() const;
    std::string ethernetText() const;
    std::array<uint16_t, 2> ports() const;
    std::array<uint16_t, 2> tcpMode() const;
    bool hardwareResetEnabled() const;
    int hardwareResets() const;
    std::size_t openConnections() const;

private:
    std::optional<Bytes> serve(const Request& request, Session& session);

    mutable std::mutex mutex_;
    std::map<const Session*, uint16_t> connections_;
    uint16_t nextConnectionId_ = 0x0100;
    std::array<uint8_t, 12> internetAddress_{127, 0, 0, 1, 255, 0, 0, 0, 0, 0, 0, 0};
    std::array<uint8_t, 6> ethernetAddress_{0x00, 0x30, 0xDE, 0x01, 0x02, 0x03};
    std::string ethernetText_;
    std::array<uint16_t, 2> ports_{1962, 502};
    std::array<uint16_t, 2> tcpMode_{0, 0};
    bool hardwareResetEnabled_ = false;
    int hardwareResets_ = 0;
};

} // namespace korvo::sim
