// korvo-sim: a TCP server on a loopback address that answers node requests as
// a bus coupler's controller does, with scripted faults. Runs on threads of
// its own, so tests start and stop it in-process.
#pragma once

#include "korvo_sim/control_services.h"
#include "korvo_sim/controller.h"
#include "korvo_sim/fault.h"
#include "korvo_sim/management_services.h"
#include "korvo_sim/pcap_writer.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace korvo::sim {

inline constexpr uint16_t kDefaultPort = 1962;

// One client connection.
class Session {
public:
    Session(int fd, std::string peer) : fd_(fd), peer_(std::move(peer)) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session();

    const std::string& peer() const { return peer_; }
    // Sends bytes on the connection; false once it is closed. A send that
    // the client does not take within the send timeout closes the
    // connection, so a client that stops reading cannot hold the server.
    bool send(std::span<const uint8_t> bytes);
    // Ends the connection; a blocked read or send returns.
    void close();
    // True once the client has closed or reset its end.
    bool peerGone() const;

private:
    friend class Simulator;
    int fd() const { return fd_; }

    // Keeps the messages of concurrent senders whole; every send under it is
    // bounded by the socket's send timeout.
    std::mutex writeMutex_;
    const int fd_;
    std::atomic<bool> closed_{false};
    // Bytes read but not yet taken as requests: [inboxStart_, inboxEnd_).
    // Behind an unfinished request there is always room for the rest of it,
    // so a read never waits for space, and several requests may come in one.
    std::array<uint8_t, 2 * kMaxRequest> inbox_;
    std::size_t inboxStart_ = 0;
    std::size_t inboxEnd_ = 0;
    std::string peer_;
    std::thread thread_;
    std::atomic<bool> finished_{false};
    PcapWriter* capture_ = nullptr;  // records the connection when set
    uint32_t captureStream_ = 0;
    // Counts received pieces and marks a request in service, so the accept
    // thread can tell an idle connection without a timer on every read.
    std::atomic<uint32_t> activity_{0};
    std::atomic<bool> busy_{false};
    // Kept by the accept thread only.
    uint32_t seenActivity_ = 0;
    std::chrono::steady_clock::time_point lastActive_ = std::chrono::steady_clock::now();
};

struct SimulatorOptions {
    std::string address = "127.0.0.10";  // must be a 127.x.x.x address
    uint16_t port = kDefaultPort;         // 0 picks a free port
    // Connections beyond this many are closed as soon as they are accepted.
    // The library opens up to 256 nodes per process, each on a connection.
    std::size_t maxConnections = 512;
    // A connection without a request for this long is closed; 0: never.
    std::chrono::milliseconds idleTimeout{std::chrono::minutes(10)};
    // A client that takes no reply bytes for this long is dropped.
    std::chrono::milliseconds sendTimeout{std::chrono::seconds(5)};
};

class Simulator {
public:
    explicit Simulator(SimulatorOptions options = {});
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    ~Simulator();

    // Listens before returning, so clients may connect at once; throws
    // std::system_error when the address cannot be bound. A simulator is
    // started once; stop() ends its connections and threads.
    void start();
    void stop();
    uint16_t port() const { return port_; }

    Controller& controller() { return controller_; }
    ControlServices& control() { return control_; }
    ManagementServices& management() { return management_; }
    // Applies to the next `fault.times` requests with the fault's code.
    void inject(Fault fault);
    void clearFaults();
    // Receives one line per request.
    void setLogger(std::function<void(const std::string&)> logger);
    // Sees every request exactly as it arrived, before it is answered.
    void setRequestTap(std::function<void(const Request&)> tap);
    // Records every connection and the bytes on it from then on.
    void setCapture(std::shared_ptr<PcapWriter> capture);
    // Sends bytes unasked on the connection that holds the node.
    bool sendToNode(uint16_t nodeId, std::span<const uint8_t> bytes);
    std::size_t connectionCount() const;
    // Connections whose thread has not been joined yet, ended ones included.
    std::size_t sessionCount() const;

private:
    void acceptLoop();
    void acceptOne();
    void reapFinished();
    // Closes connections that have been idle for the idle time.
    void closeIdle();
    std::size_t connectionCountLocked() const;
    void serve(Session& session);
    bool readRequest(Session& session, Request& request);
    std::optional<Fault> takeFault(uint16_t code);
    // The controller's answer to a request, as a queued fault changes it.
    std::optional<Bytes> replyTo(const Request& request, Session& session, const std::optional<Fault>& fault);
    // Sends the answer as the queued fault changes it on the wire.
    void answerWithFault(Session& session, Bytes& reply, const Fault& fault);
    bool pause(std::chrono::milliseconds duration);
    void log(const Session& session, const Request& request, const std::optional<Bytes>& reply);

    SimulatorOptions options_;
    Controller controller_;
    ControlServices control_;
    ManagementServices management_;
    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::thread acceptThread_;

    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::vector<std::shared_ptr<Session>> sessions_;
    std::deque<Fault> faults_;
    // Read without the lock on every request, so the plain answer path takes none of it.
    std::atomic<bool> faultsQueued_{false};
    std::atomic<bool> tapped_{false};
    std::atomic<bool> logged_{false};
    // Shared, so that a request takes them without copying the functions.
    std::shared_ptr<const std::function<void(const std::string&)>> logger_;
    std::shared_ptr<const std::function<void(const Request&)>> tap_;
    std::shared_ptr<PcapWriter> capture_;
};

} // namespace korvo::sim
