#include "korvo_sim/bootp_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace korvo::sim {

namespace {

constexpr std::size_t kMacOffset = 28;
constexpr std::size_t kYiaddrOffset = 16;
constexpr std::size_t kVendorOffset = 236;
constexpr std::size_t kOptionsOffset = 240;
constexpr uint8_t kMagicCookie[] = {99, 130, 83, 99};
constexpr auto kPoll = std::chrono::milliseconds(100);

std::string dotted(std::span<const uint8_t> four)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", four[0], four[1], four[2], four[3]);
    return text;
}

std::string macText(const MacAddress& mac)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02X.%02X.%02X.%02X.%02X.%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

sockaddr_in endpoint(const std::string& address, uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    return a;
}

} // namespace

Bytes buildBootpRequest(const MacAddress& mac, uint32_t xid, uint16_t seconds)
{
    Bytes request(kBootpRequestSize, 0);
    request[0] = 1;  // boot request
    request[1] = 1;  // Ethernet
    request[2] = 6;  // hardware address length
    writeBe32(request, 4, xid);
    writeBe16(request, 8, seconds);
    std::copy(mac.begin(), mac.end(), request.begin() + kMacOffset);
    std::copy(std::begin(kMagicCookie), std::end(kMagicCookie), request.begin() + kVendorOffset);
    request[kOptionsOffset] = 255;
    return request;
}

std::optional<BootpLease> parseBootpReply(std::span<const uint8_t> reply, const MacAddress& mac, uint32_t xid)
{
    if (reply.size() < kVendorOffset || reply[0] != 2 || readBe32(reply, 4) != xid
        || !std::equal(mac.begin(), mac.end(), reply.begin() + kMacOffset))
        return std::nullopt;
    BootpLease lease;
    lease.address = dotted(reply.subspan(kYiaddrOffset, 4));
    if (reply.size() < kOptionsOffset || !std::equal(std::begin(kMagicCookie), std::end(kMagicCookie),
                                                    reply.begin() + kVendorOffset))
        return lease;
    // Options are code, length, value; every length is checked against the end.
    std::size_t at = kOptionsOffset;
    while (at < reply.size()) {
        const uint8_t code = reply[at++];
        if (code == 0)
            continue;
        if (code == 255 || at >= reply.size())
            break;
        const std::size_t length = reply[at++];
        if (at + length > reply.size())
            break;
        if (code == 1 && length == 4)
            lease.mask = dotted(reply.subspan(at, 4));
        if (code == 3 && length >= 4)
            lease.gateway = dotted(reply.subspan(at, 4));
        at += length;
    }
    return lease;
}

BootpClient::BootpClient(BootpClientOptions options) : options_(std::move(options)) {}

BootpClient::~BootpClient()
{
    stop();
}

void BootpClient::start()
{
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "BOOTP socket");
    const int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    const sockaddr_in local = endpoint("0.0.0.0", options_.clientPort);
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        throw std::system_error(error, std::generic_category(),
                                "BOOTP client port " + std::to_string(options_.clientPort));
    }
    {
        std::lock_guard lock(mutex_);
        running_ = true;
    }
    restart();
    thread_ = std::thread(&BootpClient::loop, this);
}

void BootpClient::stop()
{
    {
        std::lock_guard lock(mutex_);
        if (!running_)
            return;
        running_ = false;
    }
    thread_.join();
    ::close(fd_);
    fd_ = -1;
}

void BootpClient::restart()
{
    {
        std::lock_guard lock(mutex_);
        asking_ = true;
        askingSince_ = nextSend_ = std::chrono::steady_clock::now();
        xid_ = std::random_device{}();
    }
    log("korvo-sim asks for an address by BOOTP as " + macText(options_.mac));
}

bool BootpClient::asking() const
{
    std::lock_guard lock(mutex_);
    return asking_;
}

void BootpClient::setLeaseHandler(std::function<void(const BootpLease&)> handler)
{
    std::lock_guard lock(mutex_);
    leaseHandler_ = std::move(handler);
}

void BootpClient::setLogger(std::function<void(const std::string&)> logger)
{
    std::lock_guard lock(mutex_);
    logger_ = std::move(logger);
}

void BootpClient::log(const std::string& line)
{
    std::function<void(const std::string&)> logger;
    {
        std::lock_guard lock(mutex_);
        logger = logger_;
    }
    if (logger)
        logger(line);
}

void BootpClient::loop()
{
    std::unique_lock lock(mutex_);
    while (running_) {
        const auto now = std::chrono::steady_clock::now();
        if (asking_ && now >= nextSend_) {
            nextSend_ = now + options_.interval;
            lock.unlock();
            send(now);
            lock.lock();
        }
        lock.unlock();
        receive();
        lock.lock();
    }
}

void BootpClient::send(std::chrono::steady_clock::time_point now)
{
    uint32_t xid;
    std::chrono::steady_clock::time_point since;
    {
        std::lock_guard lock(mutex_);
        xid = xid_;
        since = askingSince_;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - since).count();
    const Bytes request = buildBootpRequest(options_.mac, xid, static_cast<uint16_t>(std::min<long long>(seconds, 0xFFFF)));
    const sockaddr_in server = endpoint(options_.broadcastAddress, options_.serverPort);
    if (::sendto(fd_, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&server), sizeof server) < 0) {
        // Said once; the next attempts follow each second as usual.
        bool first;
        {
            std::lock_guard lock(mutex_);
            first = !sendFailureLogged_;
            sendFailureLogged_ = true;
        }
        if (first)
            log(std::string("korvo-sim cannot broadcast its BOOTP request: ") + std::strerror(errno));
    }
}

void BootpClient::receive()
{
    pollfd waiting{fd_, POLLIN, 0};
    if (::poll(&waiting, 1, static_cast<int>(kPoll.count())) <= 0)
        return;
    Bytes reply(1500);
    const ssize_t n = ::recv(fd_, reply.data(), reply.size(), MSG_DONTWAIT);
    if (n <= 0)
        return;
    reply.resize(static_cast<std::size_t>(n));
    std::function<void(const BootpLease&)> handler;
    std::optional<BootpLease> lease;
    {
        std::lock_guard lock(mutex_);
        if (!asking_)
            return;
        lease = parseBootpReply(reply, options_.mac, xid_);
        if (!lease)
            return;
        asking_ = false;
        handler = leaseHandler_;
    }
    log("korvo-sim got the address " + lease->address + " (mask " + lease->mask + ", gateway " + lease->gateway
        + ") by BOOTP");
    if (handler)
        handler(*lease);
}

} // namespace korvo::sim
