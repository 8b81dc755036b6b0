// The simulated coupler's BOOTP client: after start-up and after every restart it
// broadcasts a request (RFC 951 layout, its MAC as client hardware address) once a
// second until a reply for its MAC arrives, then reports the address it was given.
#pragma once

#include "korvo_sim/message.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

namespace korvo::sim {

using MacAddress = std::array<uint8_t, 6>;

struct BootpClientOptions {
    MacAddress mac{};
    uint16_t serverPort = 67;
    uint16_t clientPort = 68;
    std::string broadcastAddress = "255.255.255.255";
    std::chrono::milliseconds interval{1000};
};

struct BootpLease {
    std::string address;
    std::string mask;     // empty when the reply carries no subnet mask option
    std::string gateway;  // empty when the reply carries no router option
};

inline constexpr std::size_t kBootpRequestSize = 300;

// A boot request of the MAC with the transaction id and seconds since the client began.
Bytes buildBootpRequest(const MacAddress& mac, uint32_t xid, uint16_t seconds);
// The lease in a boot reply to this MAC and transaction; nothing for any other datagram.
std::optional<BootpLease> parseBootpReply(std::span<const uint8_t> reply, const MacAddress& mac, uint32_t xid);

class BootpClient {
public:
    explicit BootpClient(BootpClientOptions options);
    ~BootpClient();
    BootpClient(const BootpClient&) = delete;
    BootpClient& operator=(const BootpClient&) = delete;

    // Binds the client port and starts asking; throws std::system_error when the
    // port cannot be bound.
    void start();
    void stop();
    // Asks again, as the coupler does after a restart.
    void restart();
    bool asking() const;

    // Called on the client's thread with every lease received.
    void setLeaseHandler(std::function<void(const BootpLease&)> handler);
    void setLogger(std::function<void(const std::string&)> logger);

private:
    void loop();
    void send(std::chrono::steady_clock::time_point now);
    void receive();
    void log(const std::string& line);

    BootpClientOptions options_;
    int fd_ = -1;
    std::thread thread_;
    mutable std::mutex mutex_;
    bool running_ = false;
    bool asking_ = false;
    bool sendFailureLogged_ = false;
    uint32_t xid_ = 0;
    std::chrono::steady_clock::time_point askingSince_{};
    std::chrono::steady_clock::time_point nextSend_{};
    std::function<void(const BootpLease&)> leaseHandler_;
    std::function<void(const std::string&)> logger_;
};

} // namespace korvo::sim
