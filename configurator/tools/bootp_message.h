#pragma once
// The BOOTP datagrams the server reads and writes. Of a request only the first six
// bytes of the client hardware address are read; the reply is built on top of the
// request in the same 300-byte buffer.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace korvo {

inline constexpr std::size_t kBootpMessageSize = 300;
inline constexpr std::size_t kBootpMacOffset = 28;
inline constexpr std::size_t kBootpMacSize = 6;
// A datagram shorter than this does not hold the sender's MAC address.
inline constexpr std::size_t kBootpMinimumRequest = kBootpMacOffset + kBootpMacSize;
inline constexpr std::uint16_t kBootpServerPort = 67;
inline constexpr std::uint16_t kBootpClientPort = 68;

using BootpBuffer = std::array<std::uint8_t, kBootpMessageSize>;
using IpBytes = std::array<std::uint8_t, 4>;
using MacBytes = std::array<std::uint8_t, kBootpMacSize>;

// Zero-fills the buffer and copies the datagram's first 300 bytes into it; returns
// the number of bytes copied.
std::size_t LoadRequest(BootpBuffer& buffer, std::span<const std::uint8_t> datagram);

// The six MAC bytes as "0A.1B.2C.3D.4E.5F".
std::string MacText(const BootpBuffer& buffer);
bool MacMatches(const BootpBuffer& buffer, const MacBytes& mac);

// Turns the request in the buffer into the reply: op 2, the address to assign,
// server address 0, the magic cookie and the options subnet mask, router and end.
// Every other byte keeps the request's value.
void BuildBootpReply(BootpBuffer& buffer, const IpBytes& ip, const IpBytes& mask, const IpBytes& gateway);

}  // namespace korvo
