#include "bootp_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvo {

namespace {

// The largest UDP payload; a longer request is cut by the server, not by the socket.
constexpr std::size_t kMaxDatagram = 65535;

}  // namespace

BootpSocket::~BootpSocket() {
    if (fd_ >= 0) ::close(fd_);
}

bool BootpSocket::Open(const BootpEndpoints& endpoints) {
    endpoints_ = endpoints;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        openErrno_ = errno;
        return false;
    }
    // No SO_REUSEADDR: a DHCP server that holds the port must make this bind fail.
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(endpoints.listenPort);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        openErrno_ = errno;
        ::close(fd);
        return false;
    }
    socklen_t size = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
    port_ = ntohs(local.sin_port);
    fd_ = fd;
    openErrno_ = 0;
    return true;
}

bool BootpSocket::Receive(std::vector<std::uint8_t>& datagram) {
    if (fd_ < 0) return false;
    datagram.resize(kMaxDatagram);
    const ssize_t n = ::recv(fd_, datagram.data(), datagram.size(), MSG_DONTWAIT);
    if (n < 0) {
        datagram.clear();
        return false;
    }
    datagram.resize(static_cast<std::size_t>(n));
    return true;
}

bool BootpSocket::WaitReadable(int timeoutMs) const {
    if (fd_ < 0) return false;
    pollfd waiting{fd_, POLLIN, 0};
    return ::poll(&waiting, 1, timeoutMs) > 0 && (waiting.revents & POLLIN);
}

bool BootpSocket::SendReply(std::span<const std::uint8_t> bytes, std::string& error) {
    if (fd_ < 0) {
        error = "the UDP socket is not open";
        return false;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(endpoints_.replyPort);
    if (::inet_pton(AF_INET, endpoints_.replyAddress.c_str(), &target.sin_addr) != 1) {
        error = "\"" + endpoints_.replyAddress + "\" is not an IPv4 address";
        return false;
    }
    const ssize_t n = ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&target),
                               sizeof target);
    if (n != static_cast<ssize_t>(bytes.size())) {
        error = n < 0 ? std::strerror(errno) : "only part of the reply was sent";
        return false;
    }
    return true;
}

std::string PortUnavailableText(std::uint16_t port, int errorNumber, const std::string& program) {
    std::string text = "UDP port " + std::to_string(port) + " cannot be bound: " + std::strerror(errorNumber);
    if (errorNumber == EADDRINUSE)
        text += " (another BOOTP or DHCP server runs on this computer; stop it first)";
    text +=
        ". BOOTP requests are not received; everything else works. Ports below 1024 need root or the right "
        "to bind them, given once with: setcap cap_net_bind_service=+ep " +
        program;
    return text;
}

}  // namespace korvo
