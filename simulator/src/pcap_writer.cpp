#include "korvo_sim/pcap_writer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <vector>

namespace korvo::sim {
namespace {

constexpr uint32_t kLinkTypeRawIp = 101;
constexpr uint32_t kSnapLength = 65535;
constexpr std::size_t kIpHeader = 20;
constexpr std::size_t kTcpHeader = 20;
constexpr std::size_t kUdpHeader = 8;
constexpr uint8_t kTcp = 6;
constexpr uint8_t kUdp = 17;
// The largest payload that still fits the 16-bit total length of an IPv4 packet.
constexpr std::size_t kMaxSegment = 65535 - kIpHeader - kTcpHeader;
constexpr std::size_t kMaxDatagram = 65535 - kIpHeader - kUdpHeader;

void putLe32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void putBe16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void putBe32(std::vector<uint8_t>& out, uint32_t value)
{
    putBe16(out, static_cast<uint16_t>(value >> 16));
    putBe16(out, static_cast<uint16_t>(value));
}

void patchBe16(std::vector<uint8_t>& out, std::size_t offset, uint16_t value)
{
    out[offset] = static_cast<uint8_t>(value >> 8);
    out[offset + 1] = static_cast<uint8_t>(value);
}

// One's-complement sum of 16-bit words, the odd last byte padded with zero.
uint32_t sumWords(std::span<const uint8_t> bytes, uint32_t sum = 0)
{
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        sum += static_cast<uint32_t>(bytes[i] << 8 | bytes[i + 1]);
    if (bytes.size() % 2 != 0)
        sum += static_cast<uint32_t>(bytes.back() << 8);
    return sum;
}

uint16_t finishChecksum(uint32_t sum)
{
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

} // namespace

PcapWriter::PcapWriter(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr)
        throw std::system_error(errno, std::generic_category(), "cannot write " + path);
    std::vector<uint8_t> header;
    putLe32(header, 0xA1B2C3D4);
    header.insert(header.end(), {2, 0, 4, 0});  // version 2.4, little-endian like the magic
    putLe32(header, 0);                          // time zone
    putLe32(header, 0);                          // accuracy
    putLe32(header, kSnapLength);
    putLe32(header, kLinkTypeRawIp);
    std::fwrite(header.data(), 1, header.size(), file_);
    std::fflush(file_);
}

PcapWriter::~PcapWriter()
{
    std::fclose(file_);
}

uint32_t PcapWriter::opened(Endpoint client, Endpoint server)
{
    std::lock_guard lock(mutex_);
    uint32_t number = nextStream_++;
    // Distinct initial sequence numbers per side make mix-ups visible in Wireshark.
    Stream stream{client, server, 0x4B000000u + number * 0x10000u, 0x52000000u + number * 0x10000u};
    segment(stream, Direction::ToServer, kSyn, {});
    ++stream.clientNext;
    segment(stream, Direction::ToClient, kSyn | kAck, {});
    ++stream.serverNext;
    segment(stream, Direction::ToServer, kAck, {});
    streams_.emplace(number, stream);
    return number;
}

void PcapWriter::data(uint32_t number, Direction direction, std::span<const uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    auto found = streams_.find(number);
    if (found == streams_.end())
        return;
    Stream& stream = found->second;
    uint32_t& next = direction == Direction::ToServer ? stream.clientNext : stream.serverNext;
    while (!bytes.empty()) {
        auto piece = bytes.first(std::min(bytes.size(), kMaxSegment));
        segment(stream, direction, kPush | kAck, piece);
        next += static_cast<uint32_t>(piece.size());
        bytes = bytes.subspan(piece.size());
    }
}

void PcapWriter::closed(uint32_t number)
{
    std::lock_guard lock(mutex_);
    auto found = streams_.find(number);
    if (found == streams_.end())
        return;
    Stream& stream = found->second;
    segment(stream, Direction::ToServer, kFin | kAck, {});
    ++stream.clientNext;
    segment(stream, Direction::ToClient, kFin | kAck, {});
    ++stream.serverNext;
    segment(stream, Direction::ToServer, kAck, {});
    streams_.erase(found);
}

void PcapWriter::datagram(Endpoint from, Endpoint to, std::span<const uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    bytes = bytes.first(std::min(bytes.size(), kMaxDatagram));
    std::vector<uint8_t> udp;
    putBe16(udp, from.port);
    putBe16(udp, to.port);
    putBe16(udp, static_cast<uint16_t>(kUdpHeader + bytes.size()));
    putBe16(udp, 0);
    udp.insert(udp.end(), bytes.begin(), bytes.end());
    packet(from, to, kUdp, udp);
}

void PcapWriter::segment(const Stream& stream, Direction direction, uint8_t flags, std::span<const uint8_t> payload)
{
    bool toServer = direction == Direction::ToServer;
    const Endpoint& from = toServer ? stream.client : stream.server;
    const Endpoint& to = toServer ? stream.server : stream.client;
    std::vector<uint8_t> tcp;
    putBe16(tcp, from.port);
    putBe16(tcp, to.port);
    putBe32(tcp, toServer ? stream.clientNext : stream.serverNext);
    putBe32(tcp, (flags & kAck) ? (toServer ? stream.serverNext : stream.clientNext) : 0);
    tcp.push_back(static_cast<uint8_t>((kTcpHeader / 4) << 4));
    tcp.push_back(flags);
    putBe16(tcp, 65535);  // window
    putBe16(tcp, 0);      // checksum, filled in by packet()
    putBe16(tcp, 0);      // urgent pointer
    tcp.insert(tcp.end(), payload.begin(), payload.end());
    packet(from, to, kTcp, tcp);
}

void PcapWriter::packet(Endpoint from, Endpoint to, uint8_t protocol, std::span<const uint8_t> transport)
{
    std::vector<uint8_t> ip;
    ip.reserve(kIpHeader + transport.size());
    ip.push_back(0x45);  // version 4, header of five words
    ip.push_back(0);
    putBe16(ip, static_cast<uint16_t>(kIpHeader + transport.size()));
    putBe16(ip, ipIdentification_++);
    putBe16(ip, 0x4000);  // don't fragment
    ip.push_back(64);     // time to live
    ip.push_back(protocol);
    putBe16(ip, 0);
    putBe32(ip, from.address);
    putBe32(ip, to.address);
    patchBe16(ip, 10, finishChecksum(sumWords(ip)));

    // The transport checksum covers a pseudo header of addresses, protocol and length.
    std::vector<uint8_t> pseudo;
    putBe32(pseudo, from.address);
    putBe32(pseudo, to.address);
    putBe16(pseudo, protocol);
    putBe16(pseudo, static_cast<uint16_t>(transport.size()));
    ip.insert(ip.end(), transport.begin(), transport.end());
    std::size_t checksumOffset = kIpHeader + (protocol == kTcp ? 16 : 6);
    uint16_t checksum = finishChecksum(sumWords(transport, sumWords(pseudo)));
    // A UDP checksum of 0 means "none"; the same sum is sent as all ones.
    if (protocol == kUdp && checksum == 0)
        checksum = 0xFFFF;
    patchBe16(ip, checksumOffset, checksum);

    auto now = std::chrono::system_clock::now().time_since_epoch();
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
    std::vector<uint8_t> record;
    putLe32(record, static_cast<uint32_t>(micros / 1000000));
    putLe32(record, static_cast<uint32_t>(micros % 1000000));
    putLe32(record, static_cast<uint32_t>(ip.size()));
    putLe32(record, static_cast<uint32_t>(ip.size()));
    record.insert(record.end(), ip.begin(), ip.end());
    std::fwrite(record.data(), 1, record.size(), file_);
    // Flushed per packet, so a simulator that is killed leaves a readable file.
    std::fflush(file_);
}

} // namespace korvo::sim
