#include "icmp_echo.h"

#include "station/dotted_address.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace korvo {

namespace {

constexpr std::size_t kPayloadSize = 32;
std::atomic<std::uint16_t> nextSequence{1};

std::uint16_t Checksum(const std::uint8_t* data, std::size_t length) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < length; i += 2) sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
    if (length % 2) sum += static_cast<std::uint32_t>(data[length - 1] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

// Closes the socket on every way out.
struct SocketGuard {
    int fd = -1;
    ~SocketGuard() {
        if (fd >= 0) ::close(fd);
    }
};

bool Resolve(const std::string& host, sockaddr_in& target, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || found == nullptr) {
        error = "cannot resolve \"" + host + "\": " + ::gai_strerror(rc);
        return false;
    }
    std::memcpy(&target, found->ai_addr, sizeof target);
    ::freeaddrinfo(found);
    return true;
}

}  // namespace

EchoResult SendEcho(const std::string& host, int timeoutMs) {
    EchoResult result;
    sockaddr_in target{};
    if (host.empty()) {
        result.error = "no address given";
        return result;
    }
    if (!Resolve(DecimalAddress(host), target, result.error)) return result;

    SocketGuard sock;
    bool raw = false;
    sock.fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (sock.fd < 0) {
        sock.fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        raw = true;
    }
    if (sock.fd < 0) {
        result.notPermitted = errno == EACCES || errno == EPERM;
        result.error = std::string("cannot open an ICMP socket (") + std::strerror(errno) +
                       "); allow unprivileged ping with 'sysctl net.ipv4.ping_group_range=\"0 2147483647\"' "
                       "or give the program CAP_NET_RAW";
        return result;
    }
    const int on = 1;
    if (!raw) ::setsockopt(sock.fd, IPPROTO_IP, IP_RECVTTL, &on, sizeof on);

    const std::uint16_t sequence = nextSequence.fetch_add(1);
    // The kernel replaces the identifier of an unprivileged socket with its own port.
    const auto identifier = static_cast<std::uint16_t>(::getpid() & 0xFFFF);
    std::array<std::uint8_t, 8 + kPayloadSize> request{};
    request[0] = ICMP_ECHO;
    request[4] = static_cast<std::uint8_t>(identifier >> 8);
    request[5] = static_cast<std::uint8_t>(identifier);
    request[6] = static_cast<std::uint8_t>(sequence >> 8);
    request[7] = static_cast<std::uint8_t>(sequence);
    for (std::size_t i = 0; i < kPayloadSize; ++i) request[8 + i] = static_cast<std::uint8_t>('a' + i % 23);
    const std::uint16_t sum = Checksum(request.data(), request.size());
    request[2] = static_cast<std::uint8_t>(sum >> 8);
    request[3] = static_cast<std::uint8_t>(sum);

    const auto start = std::chrono::steady_clock::now();
    ssize_t sent;
    do {
        sent = ::sendto(sock.fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&target),
                        sizeof target);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0) {
        result.error = "cannot send the echo request to " + host + ": " + std::strerror(errno);
        return result;
    }
    result.sent = true;

    const auto deadline = start + std::chrono::milliseconds(timeoutMs);
    std::array<std::uint8_t, 1500> buffer{};
    std::array<std::uint8_t, 256> control{};
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return result;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        pollfd pfd{sock.fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, static_cast<int>(left) + 1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;

        sockaddr_in from{};
        iovec iov{buffer.data(), buffer.size()};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control.data();
        msg.msg_controllen = control.size();
        const ssize_t got = ::recvmsg(sock.fd, &msg, 0);
        if (got <= 0) continue;

        std::size_t offset = 0;
        int ttl = 0;
        if (raw) {
            if (got < static_cast<ssize_t>(sizeof(iphdr))) continue;
            const std::size_t headerLength = (buffer[0] & 0x0F) * 4u;
            if (headerLength < sizeof(iphdr) || static_cast<std::size_t>(got) < headerLength + 8) continue;
            ttl = buffer[8];
            offset = headerLength;
        } else {
            for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
                if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL) {
                    std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
                }
            }
            if (got < 8) continue;
        }
        const std::uint8_t* icmp = buffer.data() + offset;
        const std::size_t icmpLength = static_cast<std::size_t>(got) - offset;
        if (icmp[0] != ICMP_ECHOREPLY) continue;
        const auto replySequence = static_cast<std::uint16_t>(icmp[6] << 8 | icmp[7]);
        if (replySequence != sequence) continue;
        if (raw && static_cast<std::uint16_t>(icmp[4] << 8 | icmp[5]) != identifier) continue;

        char address[INET_ADDRSTRLEN] = "0.0.0.0";
        ::inet_ntop(AF_INET, &from.sin_addr, address, sizeof address);
        result.reply.bytes = static_cast<int>(icmpLength - 8);
        result.reply.address = address;
        result.reply.sequence = replySequence;
        result.reply.ttl = ttl;
        result.reply.roundTripMs = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
        return result;
    }
}

}  // namespace korvo
