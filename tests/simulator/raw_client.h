// A plain TCP client for the simulator tests: sends request bytes and reads whole
// messages by their announced length, with none of the library in between.
#pragma once

#include "korvo_sim/message.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>

namespace korvo::sim {

class RawClient {
public:
    // A receive buffer size other than 0 is set before connecting, so a
    // client that stops reading fills up quickly.
    RawClient(uint16_t port, const char* address, int receiveBuffer = 0)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (receiveBuffer > 0)
            setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        // A coupler that never answers fails the test instead of hanging it.
        timeval limit{20, 0};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in remote{};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(port);
        inet_pton(AF_INET, address, &remote.sin_addr);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0;
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;
    ~RawClient() { ::close(fd_); }

    bool connected() const { return connected_; }

    bool send(const Bytes& bytes)
    {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }

    // One whole message; empty when the connection ends first.
    Bytes receive()
    {
        Bytes message(4);
        if (!readExact(message.data(), 4))
            return {};
        message.resize(readBe16(message, 2));
        if (message.size() < 4 || !readExact(message.data() + 4, message.size() - 4))
            return {};
        return message;
    }

    Bytes exchange(const Bytes& request) { return send(request) ? receive() : Bytes{}; }

    // Sends without blocking; the rest of a partly sent request goes first on
    // the next call. False when nothing of `bytes` could be queued.
    bool trySend(const Bytes& bytes)
    {
        if (!unsent_.empty()) {
            if (!sendNow(unsent_))
                return false;
        }
        if (!unsent_.empty())
            return false;
        unsent_ = bytes;
        return sendNow(unsent_);
    }

    // True when bytes wait on the connection.
    bool pending()
    {
        pollfd waitFor{fd_, POLLIN, 0};
        return ::poll(&waitFor, 1, 0) == 1;
    }

private:
    bool sendNow(Bytes& bytes)
    {
        ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent <= 0) {
            connected_ = sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
            return false;
        }
        bytes.erase(bytes.begin(), bytes.begin() + sent);
        return true;
    }

    bool readExact(uint8_t* buffer, std::size_t count)
    {
        while (count > 0) {
            ssize_t got = ::recv(fd_, buffer, count, 0);
            if (got <= 0)
                return false;
            buffer += got;
            count -= static_cast<std::size_t>(got);
        }
        return true;
    }

    int fd_;
    bool connected_ = false;
    Bytes unsent_;
};

} // namespace korvo::sim
