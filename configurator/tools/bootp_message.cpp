#include "bootp_message.h"

#include <algorithm>
#include <cstdio>

namespace korvo {

namespace {

constexpr std::size_t kOpOffset = 0;
constexpr std::size_t kHtypeOffset = 1;
constexpr std::size_t kHlenOffset = 2;
constexpr std::size_t kYiaddrOffset = 16;
constexpr std::size_t kSiaddrOffset = 20;
constexpr std::size_t kVendorOffset = 236;
constexpr std::array<std::uint8_t, 4> kMagicCookie = {99, 130, 83, 99};
constexpr std::uint8_t kOptionSubnetMask = 1;
constexpr std::uint8_t kOptionRouter = 3;
constexpr std::uint8_t kOptionEnd = 255;

std::size_t Put(BootpBuffer& buffer, std::size_t offset, std::span<const std::uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), buffer.begin() + static_cast<std::ptrdiff_t>(offset));
    return offset + bytes.size();
}

std::uint8_t ByteAt(std::span<const std::uint8_t> datagram, std::size_t offset) {
    return offset < datagram.size() ? datagram[offset] : 0;
}

}  // namespace

BootpRequestHeader ParseBootpRequest(std::span<const std::uint8_t> datagram) {
    BootpRequestHeader header;
    header.op = ByteAt(datagram, kOpOffset);
    header.htype = ByteAt(datagram, kHtypeOffset);
    header.hlen = ByteAt(datagram, kHlenOffset);
    if (header.op != kBootRequest) {
        header.kind = BootpDatagramKind::NotRequest;
    } else if (header.htype != kHardwareEthernet || header.hlen != kEthernetAddressLength) {
        header.kind = BootpDatagramKind::NotEthernet;
    } else if (datagram.size() < kBootpMinimumRequest) {
        header.kind = BootpDatagramKind::TooShort;
    } else {
        header.kind = BootpDatagramKind::Request;
    }
    return header;
}

std::size_t LoadRequest(BootpBuffer& buffer, std::span<const std::uint8_t> datagram) {
    buffer.fill(0);
    const std::size_t n = std::min(datagram.size(), buffer.size());
    std::copy_n(datagram.begin(), n, buffer.begin());
    return n;
}

std::string MacText(const BootpBuffer& buffer) {
    std::string text;
    char group[3];
    for (std::size_t i = 0; i < kBootpMacSize; ++i) {
        std::snprintf(group, sizeof group, "%02X", buffer[kBootpMacOffset + i]);
        if (i > 0) text += '.';
        text += group;
    }
    return text;
}

bool MacMatches(const BootpBuffer& buffer, const MacBytes& mac) {
    return std::equal(mac.begin(), mac.end(), buffer.begin() + kBootpMacOffset);
}

void BuildBootpReply(BootpBuffer& buffer, const IpBytes& ip, const IpBytes& mask, const IpBytes& gateway) {
    buffer[kOpOffset] = kBootReply;
    Put(buffer, kYiaddrOffset, ip);
    Put(buffer, kSiaddrOffset, IpBytes{});
    std::size_t at = Put(buffer, kVendorOffset, kMagicCookie);
    buffer[at++] = kOptionSubnetMask;
    buffer[at++] = 4;
    at = Put(buffer, at, mask);
    buffer[at++] = kOptionRouter;
    buffer[at++] = 4;
    at = Put(buffer, at, gateway);
    buffer[at] = kOptionEnd;
}

}  // namespace korvo
