// Management connections: a table of 16 TCP connections to controllers'
// Ethernet interfaces, each exchanging 0x0401 requests with their own
// sequence counter and a fixed confirmation wait.
#pragma once

#include <chrono>
#include <cstdint>

namespace quorrin::management {

inline constexpr std::chrono::milliseconds kReceiveLimit{10000};

// The confirmation wait is fixed for client programs; tests shorten it
// instead of waiting ten seconds.
void setReceiveLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds receiveLimit();

// Takes over a connected stream socket as the open entry `handle`, such as
// one end of a socketpair carrying a scripted controller; false when that
// entry is in use.
bool adoptConnection(uint32_t handle, int fd, uint16_t connectionId);

} // namespace quorrin::management
