#include "korvo_sim/simulator.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <system_error>

namespace korvo::sim {
namespace {

// Requests longer than this are nonsense even for the management family.
constexpr std::size_t kMaxRequest = 4096;

const char* serviceName(uint16_t code)
{
    switch (code) {
    case 0x0101: return "open";
    case 0x0102: return "close";
    case 0x0103: return "write";
    case 0x0104: return "read";
    case 0x0105: return "send-message";
    case 0x0106: return "receive-message";
    case 0x0107: return "set-notification";
    case 0x0108: return "clear-notification";
    case 0x010A: return "read-write";
    case 0x0201: return "diagnostic";
    case 0x0202: return "dip-switch";
    case 0x0203: return "sys-fail";
    case 0x0109: return "control";
    case 0x0401: return "management";
    default: return "request";
    }
}

std::system_error socketError(const char* what)
{
    return std::system_error(errno, std::generic_category(), what);
}

} // namespace

Session::~Session()
{
    close();
    if (thread_.joinable())
        thread_.join();
    ::close(fd_);
}

bool Session::send(std::span<const uint8_t> bytes)
{
    std::lock_guard lock(writeMutex_);
    while (!bytes.empty() && !closed_) {
        ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        if (capture_)
            capture_->data(captureStream_, Direction::ToClient, bytes.first(static_cast<std::size_t>(sent)));
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
    return bytes.empty();
}

void Session::close()
{
    std::lock_guard lock(writeMutex_);
    if (!closed_) {
        // shutdown wakes the serving thread's blocked read; the descriptor
        // itself goes only after that thread has ended, so it is never
        // reused under a running read.
        ::shutdown(fd_, SHUT_RDWR);
        closed_ = true;
        if (capture_)
            capture_->closed(captureStream_);
    }
}

Simulator::Simulator(SimulatorOptions options)
    : options_(std::move(options)),
      control_(controller_, [this](uint16_t nodeId, std::span<const uint8_t> bytes) { return sendToNode(nodeId, bytes); }),
      management_(controller_)
{
}

Simulator::~Simulator()
{
    stop();
}

void Simulator::start()
{
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(options_.port);
    if (inet_pton(AF_INET, options_.address.c_str(), &local.sin_addr) != 1
        || (ntohl(local.sin_addr.s_addr) >> 24) != 127)
        throw std::invalid_argument("korvo-sim listens on loopback addresses only, not " + options_.address);

    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        throw socketError("socket");
    int on = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(listenFd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 || ::listen(listenFd_, 512) != 0) {
        auto error = socketError(("listen on " + options_.address + ":" + std::to_string(options_.port)).c_str());
        ::close(listenFd_);
        listenFd_ = -1;
        throw error;
    }
    socklen_t size = sizeof local;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&local), &size);
    port_ = ntohs(local.sin_port);
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    acceptThread_ = std::thread(&Simulator::acceptLoop, this);
}

void Simulator::stop()
{
    if (listenFd_ < 0)
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    controller_.shutdown();
    ::shutdown(listenFd_, SHUT_RDWR);
    acceptThread_.join();
    ::close(listenFd_);
    listenFd_ = -1;

    std::vector<std::unique_ptr<Session>> sessions;
    {
        std::lock_guard lock(mutex_);
        sessions.swap(sessions_);
    }
    for (auto& session : sessions)
        session->close();
    sessions.clear();
}

void Simulator::acceptLoop()
{
    for (;;) {
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC);
        std::lock_guard lock(mutex_);
        if (stopping_) {
            if (fd >= 0)
                ::close(fd);
            return;
        }
        if (fd < 0)
            continue;
        int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);

        std::erase_if(sessions_, [](const auto& session) { return session->finished_.load(); });
        auto session = std::make_unique<Session>(fd, std::string(text) + ":" + std::to_string(ntohs(peer.sin_port)));
        Session& served = *session;
        if (capture_) {
            sockaddr_in local{};
            socklen_t localSize = sizeof local;
            getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize);
            served.capture_ = capture_.get();
            served.captureStream_ = capture_->opened({ntohl(peer.sin_addr.s_addr), ntohs(peer.sin_port)},
                                                     {ntohl(local.sin_addr.s_addr), ntohs(local.sin_port)});
        }
        sessions_.push_back(std::move(session));
        served.thread_ = std::thread(&Simulator::serve, this, std::ref(served));
    }
}

bool Simulator::readRequest(Session& session, Request& request)
{
    // Reads whatever has arrived and cuts requests out of it, so a request
    // usually costs one read and several requests in one segment all count.
    Bytes& pending = session.received_;
    for (;;) {
        if (pending.size() >= 4) {
            uint16_t length = readBe16(pending, kLengthOffset);
            if (length < kRequestHeaderSize || length > kMaxRequest)
                return false;
            if (pending.size() >= length) {
                request.bytes.assign(pending.begin(), pending.begin() + length);
                pending.erase(pending.begin(), pending.begin() + length);
                return true;
            }
        }
        uint8_t chunk[kMaxRequest];
        ssize_t got = ::recv(session.fd(), chunk, sizeof chunk, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        if (session.capture_)
            session.capture_->data(session.captureStream_, Direction::ToServer,
                                   std::span<const uint8_t>(chunk, static_cast<std::size_t>(got)));
        pending.insert(pending.end(), chunk, chunk + got);
    }
}

void Simulator::serve(Session& session)
{
    Request request;
    while (readRequest(session, request)) {
        std::function<void(const Request&)> tap;
        {
            std::lock_guard lock(mutex_);
            tap = tap_;
        }
        if (tap)
            tap(request);
        std::optional<Fault> fault = takeFault(request.code());
        // A refusal is the controller's whole answer: the service does not run.
        std::optional<Bytes> reply;
        if (fault && fault->kind == FaultKind::Negative)
            reply = controller_.refuse(request, fault->value);
        else if (!fault || fault->kind != FaultKind::Silent)
            reply = controller_.handle(request, session);
        log(session, request, reply);
        if (reply)
            answer(session, std::move(*reply), fault);
        if (fault && fault->kind == FaultKind::CloseMidMessage)
            break;
    }
    controller_.endSession(session);
    session.close();
    session.finished_ = true;
}

std::optional<Fault> Simulator::takeFault(uint16_t code)
{
    std::lock_guard lock(mutex_);
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->requestCode != 0 && it->requestCode != code)
            continue;
        Fault fault = *it;
        if (--it->times <= 0)
            faults_.erase(it);
        return fault;
    }
    return std::nullopt;
}

void Simulator::answer(Session& session, Bytes reply, const std::optional<Fault>& fault)
{
    if (!fault) {
        session.send(reply);
        return;
    }
    switch (fault->kind) {
    case FaultKind::Late:
        if (pause(fault->delay))
            session.send(reply);
        return;
    case FaultKind::Split: {
        std::size_t pieces = static_cast<std::size_t>(std::max(fault->pieces, 1));
        std::size_t piece = (reply.size() + pieces - 1) / pieces;
        for (std::size_t offset = 0; offset < reply.size(); offset += piece) {
            if (offset != 0 && !pause(fault->delay))
                return;
            std::size_t count = std::min(piece, reply.size() - offset);
            session.send(std::span<const uint8_t>(reply).subspan(offset, count));
        }
        return;
    }
    case FaultKind::CloseMidMessage:
        session.send(std::span<const uint8_t>(reply).first(reply.size() / 2));
        return;
    case FaultKind::WrongCode:
        writeBe16(reply, 0, static_cast<uint16_t>(readBe16(reply, 0) + 1));
        break;
    case FaultKind::Negative:
        break;
    case FaultKind::ExceptionWord:
        writeBe16(reply, kExceptionOffset, fault->value);
        break;
    case FaultKind::IndicationFirst:
        session.send(fault->bytes);
        break;
    case FaultKind::AbsurdLength:
        writeBe16(reply, kLengthOffset, fault->value);
        break;
    case FaultKind::PatchWord:
        if (fault->offset + 2 <= reply.size())
            writeBe16(reply, fault->offset, fault->value);
        break;
    case FaultKind::Truncate:
        reply.resize(std::min<std::size_t>(reply.size(), fault->value));
        writeBe16(reply, kLengthOffset, static_cast<uint16_t>(reply.size()));
        break;
    case FaultKind::Silent:
        return;
    }
    session.send(reply);
}

bool Simulator::pause(std::chrono::milliseconds duration)
{
    std::unique_lock lock(mutex_);
    return !stopped_.wait_for(lock, duration, [this] { return stopping_; });
}

void Simulator::inject(Fault fault)
{
    std::lock_guard lock(mutex_);
    faults_.push_back(std::move(fault));
}

void Simulator::clearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

void Simulator::setLogger(std::function<void(const std::string&)> logger)
{
    std::lock_guard lock(mutex_);
    logger_ = std::move(logger);
}

void Simulator::setCapture(std::shared_ptr<PcapWriter> capture)
{
    std::lock_guard lock(mutex_);
    capture_ = std::move(capture);
}

void Simulator::setRequestTap(std::function<void(const Request&)> tap)
{
    std::lock_guard lock(mutex_);
    tap_ = std::move(tap);
}

bool Simulator::sendToNode(uint16_t nodeId, std::span<const uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    Session* session = controller_.sessionOf(nodeId);
    return session != nullptr && session->send(bytes);
}

std::size_t Simulator::connectionCount() const
{
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(sessions_.begin(), sessions_.end(),
                                                   [](const auto& session) { return !session->finished_.load(); }));
}

void Simulator::log(const Session& session, const Request& request, const std::optional<Bytes>& reply)
{
    std::function<void(const std::string&)> logger;
    {
        std::lock_guard lock(mutex_);
        logger = logger_;
    }
    if (!logger)
        return;
    char line[256];
    if (reply) {
        std::snprintf(line, sizeof line, "%s %s %04Xh node %u seq %u length %zu -> %04Xh status %u error %04Xh",
                      session.peer().c_str(), serviceName(request.code()), request.code(), request.nodeId(),
                      request.sequence(), request.bytes.size(), readBe16(*reply, 0), readBe16(*reply, kStatusOffset),
                      readBe16(*reply, kErrorCodeOffset));
    } else {
        std::snprintf(line, sizeof line, "%s %s %04Xh node %u seq %u length %zu -> no answer", session.peer().c_str(),
                      serviceName(request.code()), request.code(), request.nodeId(), request.sequence(),
                      request.bytes.size());
    }
    logger(line);
}

} // namespace korvo::sim
