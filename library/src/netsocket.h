// The library's only contact with the platform's sockets, so that the
// protocol code above it stays free of errno and system calls.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include <netinet/in.h>

namespace quorrin::net {

// Socket error reported when the peer closed the connection.
inline constexpr int32_t kConnectionClosed = 10054;

// Result of a socket operation: a library result code and, on failure, the
// value for the library-wide last network error.
struct Outcome {
    uint32_t result = 0;
    int32_t networkError = 0;
    bool ok() const { return result == 0; }
};

// errno in the Windows socket numbering that client programs are documented to see.
int32_t windowsSocketError(int errnoValue);

// Dotted IPv4 text first, then a host-name lookup (first IPv4 answer).
std::optional<in_addr> resolveHost(const std::string& host);

// No limit when empty.
using WaitLimit = std::optional<std::chrono::milliseconds>;

class TcpSocket {
public:
    TcpSocket() = default;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;
    TcpSocket(TcpSocket&& other) noexcept : fd_(other.fd_), appliedLimit_(other.appliedLimit_) { other.fd_ = -1; }
    TcpSocket& operator=(TcpSocket&& other) noexcept;
    ~TcpSocket() { close(); }

    // Takes over a connected stream socket, such as one end of a socketpair
    // carrying a scripted controller.
    void adopt(int fd);
    // Connects with linger 0 and keep-alive, waiting at most `timeoutSeconds`.
    Outcome connect(in_addr host, uint16_t port, int32_t timeoutSeconds);
    Outcome sendAll(std::span<const uint8_t> bytes);
    // Reads at most `buffer.size()` bytes once some are there; `received` > 0 on success.
    Outcome receiveSome(std::span<uint8_t> buffer, WaitLimit limit, std::size_t& received);
    // Blocks without limit for one read of what arrives.
    Outcome receiveOnce(std::span<uint8_t> buffer, std::size_t& received);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // The IPv4 address of the connected peer; none for other sockets.
    std::optional<in_addr> peerAddress() const;

private:
    // The wait is the blocking read itself, bounded by SO_RCVTIMEO; the option
    // is set only when the limit changes, saving a system call per piece.
    bool applyReceiveLimit(WaitLimit limit);
    int fd_ = -1;
    std::optional<WaitLimit> appliedLimit_;
};

// A datagram listener bound to any local address.
class UdpSocket {
public:
    UdpSocket() = default;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;
    ~UdpSocket() { close(); }

    // Takes over a bound datagram socket, such as one end of a socketpair
    // carrying scripted datagrams.
    void adopt(int fd);
    // Binds the first port of first..last that is free; fails when none is.
    Outcome bindFirstFree(uint16_t first, uint16_t last);
    uint16_t port() const { return port_; }
    // Takes datagrams from this sender only; the listener is bound to every
    // local address, so anyone on the network could otherwise inject data.
    void acceptOnlyFrom(std::optional<in_addr> sender) { sender_ = sender; }
    // Waits at most `limit` (no limit when empty) for one datagram and reads
    // at most `buffer.size()` bytes of it; ERR_TIMEOUT when none came.
    // Datagrams of other senders are dropped and counted; the wait goes on.
    Outcome receive(std::span<uint8_t> buffer, WaitLimit limit, std::size_t& received);
    uint64_t droppedDatagrams() const { return dropped_; }
    void close();
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
    uint16_t port_ = 0;
    std::optional<in_addr> sender_;
    uint64_t dropped_ = 0;
};

} // namespace quorrin::net
