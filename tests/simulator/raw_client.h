// A plain TCP client for the simulator tests: sends request bytes and reads whole
// messages by their announced length, with none of the library in between.
#pragma once

#include "korvo_sim/message.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace korvo::sim {

class RawClient {
public:
    RawClient(uint16_t port, const char* address)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
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

    // True when bytes wait on the connection.
    bool pending()
    {
        pollfd waitFor{fd_, POLLIN, 0};
        return ::poll(&waitFor, 1, 0) == 1;
    }

private:
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
};

} // namespace korvo::sim
