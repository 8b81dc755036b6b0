#pragma once
// The BOOTP datagrams the server reads and writes. A request is told by its op code
// and hardware type and length; beyond those only the first six bytes of the client
// hardware address are read. The reply is built on top of the request in the same
// 300-byte buffer.

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

inline constexpr std::uint8_t kBootRequest = 1;
inline constexpr std::uint8_t kBootReply = 2;
inline constexpr std::uint8_t kHardwareEthernet = 1;
inline constexpr std::uint8_t kEthernetAddressLength = 6;

using BootpBuffer = std::array<std::uint8_t, kBootpMessageSize>;
using IpBytes = std::array<std::uint8_t, 4>;
using MacBytes = std::array<std::uint8_t, kBootpMacSize>;

enum class BootpDatagramKind {
    Request,      // a BOOTREQUEST of an Ethernet client
    TooShort,     // such a request, cut before the end of the MAC address
    NotRequest,   // op is not BOOTREQUEST: a reply (the server's own among them) or garbage
    NotEthernet,  // a request for another hardware type or address length
};

// The header fields that decide whether a datagram on port 67 is answered; fields
// beyond the datagram's end are 0.
struct BootpRequestHeader {
    BootpDatagramKind kind = BootpDatagramKind::NotRequest;
    std::uint8_t op = 0;
    std::uint8_t htype = 0;
    std::uint8_t hlen = 0;
};

BootpRequestHeader ParseBootpRequest(std::span<const std::uint8_t> datagram);

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
