#pragma once
// The BOOTP server's UDP socket: bound to the server port on all local addresses
// with broadcast sending, replies to the limited broadcast address and the client
// port. Non-blocking; the window watches its descriptor, the command line polls it.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvo {

struct BootpEndpoints {
    std::uint16_t listenPort = 67;
    std::string replyAddress = "255.255.255.255";
    std::uint16_t replyPort = 68;
};

// Where a reply goes; the socket in the program, a recorder in tests.
class BootpSender {
public:
    virtual ~BootpSender() = default;
    // Sends the bytes; false with the reason when they could not be sent.
    virtual bool SendReply(std::span<const std::uint8_t> bytes, std::string& error) = 0;
};

class BootpSocket final : public BootpSender {
public:
    BootpSocket() = default;
    ~BootpSocket() override;
    BootpSocket(const BootpSocket&) = delete;
    BootpSocket& operator=(const BootpSocket&) = delete;

    // Binds the listening port. False when it cannot be bound; errno() then tells why.
    bool Open(const BootpEndpoints& endpoints);
    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    int OpenErrno() const { return openErrno_; }
    // The port actually bound (the one asked for, or a free one for port 0).
    std::uint16_t Port() const { return port_; }

    // Takes one waiting datagram into `datagram` (whole, however long); false when
    // none is waiting.
    bool Receive(std::vector<std::uint8_t>& datagram);
    // Waits up to timeoutMs for a datagram to arrive; false on time-out.
    bool WaitReadable(int timeoutMs) const;

    bool SendReply(std::span<const std::uint8_t> bytes, std::string& error) override;

private:
    int fd_ = -1;
    int openErrno_ = 0;
    std::uint16_t port_ = 0;
    BootpEndpoints endpoints_;
};

// What the log and the command line say when the port cannot be bound: the reason
// and how to allow it. program is the path of the program that needs the right.
std::string PortUnavailableText(std::uint16_t port, int errorNumber, const std::string& program);

}  // namespace korvo
