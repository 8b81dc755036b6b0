// Writes what the simulated coupler exchanges as a pcap file of raw IPv4
// packets (TCP segments with consistent sequence and acknowledgement
// numbers, UDP datagrams), so a session can be examined in Wireshark
// without capture rights.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <span>
#include <string>

namespace korvo::sim {

struct Endpoint {
    uint32_t address = 0;  // host order
    uint16_t port = 0;
};

enum class Direction { ToServer, ToClient };

class PcapWriter {
public:
    // Creates or truncates the file; throws std::system_error when it cannot.
    explicit PcapWriter(const std::string& path);
    PcapWriter(const PcapWriter&) = delete;
    PcapWriter& operator=(const PcapWriter&) = delete;
    ~PcapWriter();

    // Records the handshake of a new connection and returns its stream number.
    uint32_t opened(Endpoint client, Endpoint server);
    // Records bytes sent on a stream, cut into segments an IPv4 packet holds.
    void data(uint32_t stream, Direction direction, std::span<const uint8_t> bytes);
    // Records the orderly end of a stream; later calls on it are ignored.
    void closed(uint32_t stream);
    void datagram(Endpoint from, Endpoint to, std::span<const uint8_t> bytes);

private:
    struct Stream {
        Endpoint client;
        Endpoint server;
        uint32_t clientNext;  // next sequence number of each side
        uint32_t serverNext;
    };
    enum Flags : uint8_t { kFin = 0x01, kSyn = 0x02, kPush = 0x08, kAck = 0x10 };
    void segment(const Stream& stream, Direction direction, uint8_t flags, std::span<const uint8_t> payload);
    void packet(Endpoint from, Endpoint to, uint8_t protocol, std::span<const uint8_t> transport);

    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    uint16_t ipIdentification_ = 0;
    uint32_t nextStream_ = 0;
    std::map<uint32_t, Stream> streams_;
};

} // namespace korvo::sim
