#pragma once
// Why a library call failed, in the words a commissioning engineer acts on: the line
// that follows a fixed message such as "CHECK IP settings ??", so that a refused port,
// a silent coupler, a lost connection and a coupler's refusal of outputs read apart.

#include <cstdint>
#include <string>

namespace korvo {

// One line for the result of a failed call, e.g. "connection refused", "no answer
// within 2 s", "outputs refused by the coupler's watchdog (00A2)". The network error
// and the time limits are read from the library when the call has just failed.
std::string CallFailureReason(std::uint32_t result);

// The same from the parts, for tests and callers that keep them: `networkError` as
// ETH_GetNetworkError gives it, `receiveSeconds` and `connectSeconds` the limits.
std::string CallFailureReason(std::uint32_t result, std::int32_t networkError, std::int32_t receiveSeconds,
                              std::int32_t connectSeconds);

// The codes a coupler sends when it refuses output writes (low byte of a device error).
inline constexpr std::uint8_t kWatchdogCode = 0xA2;
inline constexpr std::uint8_t kModbusClientCode = 0xAA;
inline constexpr std::uint8_t kPlugPlayCode = 0xA9;

// "%04X" of a result code, as the status texts show it.
std::string HexCode(std::uint32_t code, int digits = 4);

}  // namespace korvo
