#include "netsocket.h"
#include "hot_path.h"

#include "quorrin.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <utility>

namespace quorrin::net {
namespace {

struct ErrnoMapping {
    int errnoValue;
    int32_t windowsError;
};

// One table, so client programs see the same numbers on every platform.
constexpr ErrnoMapping kErrnoToWindows[] = {
    {EINTR, 10004},          {EBADF, 10009},         {EACCES, 10013},        {EFAULT, 10014},
    {EINVAL, 10022},         {EMFILE, 10024},        {EWOULDBLOCK, 10035},   {EINPROGRESS, 10036},
    {EALREADY, 10037},       {ENOTSOCK, 10038},      {EDESTADDRREQ, 10039},  {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},     {ENOPROTOOPT, 10042},   {EPROTONOSUPPORT, 10043}, {EOPNOTSUPP, 10045},
    {EAFNOSUPPORT, 10047},   {EADDRINUSE, 10048},    {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},
    {ENETUNREACH, 10051},    {ENETRESET, 10052},     {ECONNABORTED, 10053},  {ECONNRESET, 10054},
    {EPIPE, 10054},          {ENOBUFS, 10055},       {EISCONN, 10056},       {ENOTCONN, 10057},
    {ESHUTDOWN, 10058},      {ETIMEDOUT, 10060},     {ECONNREFUSED, 10061},  {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},
};

// Windows "system call failure", for errno values without a socket counterpart.
constexpr int32_t kSystemCallFailure = 10107;

Outcome failure(uint32_t result, int errnoValue)
{
    return Outcome{result, windowsSocketError(errnoValue)};
}

Outcome ownWaitCode(uint32_t result)
{
    return Outcome{result, static_cast<int32_t>(result)};
}

int millisecondsLeft(std::chrono::steady_clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
}

bool setBlocking(int fd, bool blocking)
{
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0)
        return false;
    flags = blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK;
    return fcntl(fd, F_SETFL, flags) == 0;
}

} // namespace

int32_t windowsSocketError(int errnoValue)
{
    for (const auto& mapping : kErrnoToWindows) {
        if (mapping.errnoValue == errnoValue)
            return mapping.windowsError;
    }
    return kSystemCallFailure;
}

std::optional<in_addr> resolveHost(const std::string& host)
{
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) == 1)
        return address;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &answer) != 0 || answer == nullptr)
        return std::nullopt;
    address = reinterpret_cast<const sockaddr_in*>(answer->ai_addr)->sin_addr;
    freeaddrinfo(answer);
    return address;
}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        appliedLimit_ = other.appliedLimit_;
    }
    return *this;
}

void TcpSocket::adopt(int fd)
{
    close();
    fd_ = fd;
}

void TcpSocket::close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    appliedLimit_.reset();
}

std::optional<in_addr> TcpSocket::peerAddress() const
{
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    if (fd_ < 0 || getpeername(fd_, reinterpret_cast<sockaddr*>(&peer), &size) != 0 || peer.sin_family != AF_INET)
        return std::nullopt;
    return peer.sin_addr;
}

Outcome TcpSocket::connect(in_addr host, uint16_t port, int32_t timeoutSeconds)
{
    close();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return failure(ERR_NETWORK, errno);

    // Linger 0 resets the connection on close, so a dropped node frees the
    // controller's side at once.
    linger lingerOption{1, 0};
    int on = 1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    if (setsockopt(fd_, SOL_SOCKET, SO_LINGER, &lingerOption, sizeof lingerOption) != 0
        || setsockopt(fd_, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) != 0
        || setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0
        || ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 || !setBlocking(fd_, false)) {
        int error = errno;
        close();
        return failure(ERR_NETWORK, error);
    }

    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(port);
    remote.sin_addr = host;
    int rc;
    do {
        rc = ::connect(fd_, reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
    } while (rc != 0 && errno == EINTR);

    if (rc != 0 && errno != EINPROGRESS) {
        int error = errno;
        close();
        return failure(ERR_NETWORK, error);
    }
    if (rc != 0) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(timeoutSeconds, 0));
        pollfd waitFor{fd_, POLLOUT, 0};
        int ready;
        do {
            ready = ::poll(&waitFor, 1, millisecondsLeft(deadline));
        } while (ready < 0 && errno == EINTR);
        if (ready <= 0) {
            close();
            return ownWaitCode(ready == 0 ? ERR_TIMEOUT : ERR_NETWORK);
        }
        // Writable also means "failed" here: a refused attempt is reported
        // with its socket error instead of being taken for a connection.
        int pending = 0;
        socklen_t size = sizeof pending;
        if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &pending, &size) != 0 || pending != 0) {
            int error = pending != 0 ? pending : errno;
            close();
            return failure(ERR_NETWORK, error);
        }
    }
    if (!setBlocking(fd_, true)) {
        int error = errno;
        close();
        return failure(ERR_NETWORK, error);
    }
    return {};
}

QUORRIN_HOT Outcome TcpSocket::sendAll(std::span<const uint8_t> bytes)
{
    while (!bytes.empty()) {
        ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            return failure(ERR_NETWORK, errno);
        }
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
    return {};
}

QUORRIN_HOT bool TcpSocket::applyReceiveLimit(WaitLimit limit)
{
    if (appliedLimit_ && *appliedLimit_ == limit)
        return true;
    // A zero timeval means no limit, as a missing limit does.
    auto ms = limit.value_or(std::chrono::milliseconds(0)).count();
    timeval timeout{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>(ms % 1000 * 1000)};
    if (setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0)
        return false;
    appliedLimit_ = limit;
    return true;
}

QUORRIN_HOT Outcome TcpSocket::receiveSome(std::span<uint8_t> buffer, WaitLimit limit, std::size_t& received)
{
    // A zero limit looks once at what has arrived instead of waiting.
    bool look = limit && limit->count() <= 0;
    if (!look && !applyReceiveLimit(limit))
        return failure(ERR_NETWORK, errno);
    for (;;) {
        ssize_t count = ::recv(fd_, buffer.data(), buffer.size(), look ? MSG_DONTWAIT : 0);
        if (count > 0) {
            received = static_cast<std::size_t>(count);
            return {};
        }
        if (count == 0)
            return Outcome{ERR_NETWORK, kConnectionClosed};
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return ownWaitCode(ERR_TIMEOUT);
        return failure(ERR_NETWORK, errno);
    }
}

Outcome TcpSocket::receiveOnce(std::span<uint8_t> buffer, std::size_t& received)
{
    if (!applyReceiveLimit(std::nullopt))
        return failure(ERR_NETWORK, errno);
    for (;;) {
        ssize_t count = ::recv(fd_, buffer.data(), buffer.size(), 0);
        if (count > 0) {
            received = static_cast<std::size_t>(count);
            return {};
        }
        if (count == 0)
            return Outcome{ERR_NETWORK, kConnectionClosed};
        if (errno != EINTR)
            return failure(ERR_NETWORK, errno);
    }
}

Outcome UdpSocket::bindFirstFree(uint16_t first, uint16_t last)
{
    close();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return failure(ERR_NETWORK, errno);
    int lastError = EADDRINUSE;
    for (uint32_t port = first; port <= last; ++port) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        local.sin_port = htons(static_cast<uint16_t>(port));
        if (::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0) {
            port_ = static_cast<uint16_t>(port);
            return {};
        }
        lastError = errno;
    }
    close();
    return failure(ERR_NETWORK, lastError);
}

Outcome UdpSocket::receive(std::span<uint8_t> buffer, WaitLimit limit, std::size_t& received)
{
    auto deadline = std::chrono::steady_clock::now() + limit.value_or(std::chrono::milliseconds(0));
    for (;;) {
        pollfd waitFor{fd_, POLLIN, 0};
        int ready;
        do {
            ready = ::poll(&waitFor, 1, limit ? millisecondsLeft(deadline) : -1);
        } while (ready < 0 && errno == EINTR);
        if (ready == 0)
            return Outcome{ERR_TIMEOUT, 0};
        if (ready < 0)
            return failure(ERR_NETWORK, errno);
        sockaddr_in from{};
        socklen_t size = sizeof from;
        ssize_t count;
        do {
            count = ::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
        } while (count < 0 && errno == EINTR);
        if (count < 0)
            return failure(ERR_NETWORK, errno);
        if (sender_ && (from.sin_family != AF_INET || from.sin_addr.s_addr != sender_->s_addr)) {
            ++dropped_;
            continue;
        }
        received = static_cast<std::size_t>(count);
        return {};
    }
}

void UdpSocket::adopt(int fd)
{
    close();
    fd_ = fd;
}

void UdpSocket::close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    sender_.reset();
}

} // namespace quorrin::net
