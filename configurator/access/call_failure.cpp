#include "call_failure.h"

#include "call_runner.h"

#include <quorrin.h>

#include <cstdio>

namespace korvo {

namespace {

std::string Within(std::int32_t seconds) {
    return seconds > 0 ? "no answer within " + std::to_string(seconds) + " s" : std::string("no answer in time");
}

std::int32_t Option(std::int32_t option) {
    std::int32_t value = 0;
    std::int32_t size = sizeof value;
    return ETH_GetClientOptions(option, &value, &size) == DDI_OK ? value : 0;
}

std::string NetworkReason(std::int32_t networkError, std::int32_t connectSeconds) {
    switch (networkError) {
    case 10061: return "connection refused";
    case 10060: return Within(connectSeconds);
    case 10051:
    case 10065: return "no route to the coupler";
    case 0:
    case 10053:
    case 10054:
    case 10058: return "connection lost";
    default: return "connection lost (socket error " + std::to_string(networkError) + ")";
    }
}

// The header's meaning of a named result code, or nothing.
const char* Meaning(std::uint32_t result) {
    switch (result) {
    case ERR_HANDLE_RANGE: return "the connection had been dropped (no such node)";
    case ERR_NODE_STATE: return "the connection had been dropped or is busy";
    case ERR_CONFIRMATION: return "the coupler answered with another confirmation than expected";
    case ERR_NODE_NAME: return "the node name is malformed";
    case ERR_TABLE_FULL: return "no free node left in the library";
    case ERR_INVALID_ARGUMENT: return "a length or count out of range";
    case ERR_NO_MEMORY: return "out of memory";
    case ERR_REQUEST_LENGTH: return "request or reply too long";
    case ERR_BUFFER_SIZE: return "the message was longer than the buffer";
    case ERR_HOST_UNRESOLVED: return "the address is neither a dotted address nor a known host name";
    case ERR_REGISTRY_KEY:
    case ERR_REGISTRY_VALUE:
    case ERR_DEVICE_NOT_IN_USE: return "the device is not set up in the library's registry file";
    default: return nullptr;
    }
}

}  // namespace

std::string CallFailureReason(std::uint32_t result, std::int32_t networkError, std::int32_t receiveSeconds,
                              std::int32_t connectSeconds) {
    if (result == kCallCancelled) return std::string(kCancelledReason);
    const std::string code = " (" + HexCode(result, 8) + "h)";
    if (result == ERR_TIMEOUT) return Within(receiveSeconds) + code;
    if (result == ERR_NETWORK) return NetworkReason(networkError, connectSeconds) + code;
    if (const char* meaning = Meaning(result)) return meaning + code;
    if ((result & 0xFFFF0000u) == ERR_DEVICE_BASE) {
        const auto device = static_cast<std::uint8_t>(result & 0xFF);
        const std::string deviceCode = " (" + HexCode(device, 4) + ")";
        if (device == kWatchdogCode) return "outputs refused by the coupler's watchdog" + deviceCode;
        if (device == kModbusClientCode) return "outputs refused: a Modbus client is active on the coupler" + deviceCode;
        if (device == kPlugPlayCode) return "outputs refused: Plug & Play is on" + deviceCode;
        return "the coupler refused the request, its error code " + HexCode(result & 0xFFFF, 4) + "h";
    }
    return "error " + HexCode(result, 8) + "h";
}

std::string CallFailureReason(std::uint32_t result) {
    return CallFailureReason(result, ETH_GetNetworkError(ETH_NETWORK_ERROR_LAST), Option(ETH_OPTION_RECEIVE_TIMEOUT),
                             Option(ETH_OPTION_CONNECT_TIMEOUT));
}

std::string HexCode(std::uint32_t code, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, code);
    return text;
}

}  // namespace korvo
