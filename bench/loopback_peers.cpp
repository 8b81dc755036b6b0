#include "loopback_peers.h"

#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <system_error>

namespace korvo::bench {
namespace {

bool ReadExact(int fd, unsigned char* buffer, std::size_t count) {
    while (count > 0) {
        const ssize_t got = ::recv(fd, buffer, count, 0);
        if (got <= 0) return false;
        buffer += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

bool SendAll(int fd, const unsigned char* buffer, std::size_t count) {
    while (count > 0) {
        const ssize_t sent = ::send(fd, buffer, count, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        buffer += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

void NoDelay(int fd) {
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

std::string RandomLoopback(std::mt19937& random) {
    std::uniform_int_distribution<int> part(1, 254);
    return "127." + std::to_string(part(random)) + "." + std::to_string(part(random)) + "." +
           std::to_string(part(random));
}

}  // namespace

PingPongPeer::PingPongPeer(std::vector<Exchange> script) : script_(std::move(script)) {
    std::size_t largest = 0;
    for (const auto& [request, reply] : script_) largest = std::max({largest, request, reply});
    request_.assign(largest, 0xA5);
    reply_.assign(largest, 0x5A);

    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof local;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 || ::listen(listener_, 1) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        throw std::system_error(errno, std::generic_category(), "ping-pong listener");
    }
    thread_ = std::thread([this] {
        const int fd = ::accept(listener_, nullptr, nullptr);
        if (fd < 0) return;
        NoDelay(fd);
        std::vector<unsigned char> request(request_.size());
        std::vector<unsigned char> reply(reply_.size(), 0x5A);
        for (bool open = true; open;) {
            for (const auto& [requestSize, replySize] : script_) {
                open = ReadExact(fd, request.data(), requestSize) && SendAll(fd, reply.data(), replySize);
                if (!open) break;
            }
        }
        ::close(fd);
    });
    client_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    NoDelay(client_);
    if (::connect(client_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
        throw std::system_error(errno, std::generic_category(), "ping-pong connect");
}

PingPongPeer::~PingPongPeer() {
    ::shutdown(client_, SHUT_RDWR);
    ::close(client_);
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
}

bool PingPongPeer::RunScript() {
    for (const auto& [requestSize, replySize] : script_) {
        if (!SendAll(client_, request_.data(), requestSize) || !ReadExact(client_, reply_.data(), replySize))
            return false;
    }
    return true;
}

std::unique_ptr<korvo::sim::Simulator> StartSimulator(std::string& address) {
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0;; ++attempt) {
        address = RandomLoopback(random);
        auto simulator = std::make_unique<korvo::sim::Simulator>(korvo::sim::SimulatorOptions{address});
        try {
            simulator->start();
            return simulator;
        } catch (const std::system_error&) {
            if (attempt == 20) throw;
        }
    }
}

double Median(std::vector<double>& samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

}  // namespace korvo::bench
