#include "korvo_sim/simulator.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <stdexcept>
#include <system_error>

namespace korvo::sim {
namespace {

// How often the accept loop wakes without a connection to reap ended ones.
constexpr int kReapIntervalMs = 200;
// Pause after accept failed for lack of descriptors or memory, instead of
// spinning on a listen queue that stays readable.
constexpr auto kAcceptBackoff = std::chrono::milliseconds(100);

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

timeval toTimeval(std::chrono::milliseconds duration)
{
    return timeval{static_cast<time_t>(duration.count() / 1000), static_cast<suseconds_t>(duration.count() % 1000 * 1000)};
}

} // namespace

Session::~Session()
{
    close();
    if (thread_.joinable())
        thread_.join();
    ::close(fd_);
}

// The functions of the plain answer path are marked hot: the compiler keeps
// them together, so an answer runs through few pages and cache lines of code.
[[gnu::hot]] bool Session::send(std::span<const uint8_t> bytes)
{
    std::lock_guard lock(writeMutex_);
    // Recorded as it is handed over: a client that already has the answer may
    // stop the simulator, and with it the recorded connection, before this
    // thread would get to record it afterwards.
    if (capture_ && !closed_)
        capture_->data(captureStream_, Direction::ToClient, bytes);
    while (!bytes.empty() && !closed_) {
        ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0) {
            // Timed out or failed: a half-sent message would garble the
            // stream, so the client is dropped.
            close();
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
    return bytes.empty();
}

void Session::close()
{
    // No lock: shutdown also wakes a send blocked under the write lock. It
    // wakes the serving thread's blocked read as well; the descriptor itself
    // goes only after that thread has ended, so it is never reused under a
    // running read.
    if (!closed_.exchange(true)) {
        ::shutdown(fd_, SHUT_RDWR);
        if (capture_)
            capture_->closed(captureStream_);
    }
}

bool Session::peerGone() const
{
    pollfd probe{fd_, POLLRDHUP, 0};
    return ::poll(&probe, 1, 0) > 0 && (probe.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
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
        throw std::invalid_argument("cannot listen on \"" + options_.address + "\": only loopback addresses 127.x.x.x are allowed");

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
    control_.setSourceAddress(options_.address);
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

    std::vector<std::shared_ptr<Session>> sessions;
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
    // Waking regularly reaps ended connections even when no client comes, and
    // often enough that an idle connection ends close to its idle time.
    const long long idleMs = options_.idleTimeout.count();
    const int interval = idleMs > 0 ? static_cast<int>(std::clamp<long long>(idleMs / 4, 10, kReapIntervalMs))
                                    : kReapIntervalMs;
    for (;;) {
        pollfd waitFor{listenFd_, POLLIN, 0};
        int ready = ::poll(&waitFor, 1, interval);
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
        }
        reapFinished();
        closeIdle();
        if (ready > 0)
            acceptOne();
    }
}

void Simulator::acceptOne()
{
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC);
    if (fd < 0) {
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
            pause(kAcceptBackoff);
        return;
    }
    std::lock_guard lock(mutex_);
    if (stopping_ || connectionCountLocked() >= options_.maxConnections) {
        ::close(fd);
        return;
    }
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    timeval sendTimeout = toTimeval(options_.sendTimeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);

    auto session = std::make_shared<Session>(fd, std::string(text) + ":" + std::to_string(ntohs(peer.sin_port)));
    if (capture_) {
        sockaddr_in local{};
        socklen_t localSize = sizeof local;
        getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize);
        session->capture_ = capture_.get();
        session->captureStream_ = capture_->opened({ntohl(peer.sin_addr.s_addr), ntohs(peer.sin_port)},
                                                   {ntohl(local.sin_addr.s_addr), ntohs(local.sin_port)});
    }
    sessions_.push_back(session);
    try {
        session->thread_ = std::thread(&Simulator::serve, this, std::ref(*session));
    } catch (const std::system_error&) {
        // The process cannot start another thread: this client is dropped.
        sessions_.pop_back();
    }
}

void Simulator::closeIdle()
{
    if (options_.idleTimeout.count() <= 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex_);
    for (const auto& session : sessions_) {
        const uint32_t activity = session->activity_.load(std::memory_order_relaxed);
        if (activity != session->seenActivity_ || session->busy_.load(std::memory_order_relaxed)) {
            session->seenActivity_ = activity;
            session->lastActive_ = now;
        } else if (now - session->lastActive_ >= options_.idleTimeout) {
            session->close();
        }
    }
}

void Simulator::reapFinished()
{
    std::vector<std::shared_ptr<Session>> finished;
    {
        std::lock_guard lock(mutex_);
        auto ended = std::stable_partition(sessions_.begin(), sessions_.end(),
                                           [](const auto& session) { return !session->finished_.load(); });
        finished.assign(std::make_move_iterator(ended), std::make_move_iterator(sessions_.end()));
        sessions_.erase(ended, sessions_.end());
    }
    // Joined outside the lock; a sender still holding one keeps it alive.
    finished.clear();
}

[[gnu::hot]] bool Simulator::readRequest(Session& session, Request& request)
{
    // Reads whatever has arrived and cuts requests out of it, so a request
    // usually costs one read and several requests in one segment all count.
    auto& inbox = session.inbox_;
    for (;;) {
        const std::span<const uint8_t> pending(inbox.data() + session.inboxStart_,
                                               session.inboxEnd_ - session.inboxStart_);
        const std::optional<std::size_t> length = nextRequestLength(pending);
        if (!length)
            return false;
        if (*length > 0) {
            request.bytes.assign(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(*length));
            session.inboxStart_ += *length;
            if (session.inboxStart_ == session.inboxEnd_)
                session.inboxStart_ = session.inboxEnd_ = 0;
            return true;
        }
        // An unfinished request moves to the front; the rest of it then fits behind it.
        if (session.inboxStart_ > 0) {
            std::memmove(inbox.data(), pending.data(), pending.size());
            session.inboxStart_ = 0;
            session.inboxEnd_ = pending.size();
        }
        uint8_t* room = inbox.data() + session.inboxEnd_;
        ssize_t got = ::recv(session.fd(), room, inbox.size() - session.inboxEnd_, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        // Only this thread counts: a plain store is enough and keeps the read path free of a locked add.
        session.activity_.store(session.activity_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        if (session.capture_)
            session.capture_->data(session.captureStream_, Direction::ToServer,
                                   std::span<const uint8_t>(room, static_cast<std::size_t>(got)));
        session.inboxEnd_ += static_cast<std::size_t>(got);
    }
}

[[gnu::hot]] void Simulator::serve(Session& session)
{
    Request request;
    while (readRequest(session, request)) {
        session.busy_.store(true, std::memory_order_relaxed);
        if (tapped_) {
            std::shared_ptr<const std::function<void(const Request&)>> tap;
            {
                std::lock_guard lock(mutex_);
                tap = tap_;
            }
            if (tap)
                (*tap)(request);
        }
        // Faults and the log are looked at only when there are any: the
        // checks run for every request.
        std::optional<Fault> fault = faultsQueued_ ? takeFault(request.code()) : std::nullopt;
        std::optional<Bytes> reply = replyTo(request, session, fault);
        if (logged_)
            log(session, request, reply);
        if (reply) {
            if (fault)
                answerWithFault(session, *reply, *fault);
            else
                session.send(*reply);
            recycleConfirmation(std::move(*reply));
        }
        session.busy_.store(false, std::memory_order_relaxed);
        if (fault && fault->kind == FaultKind::CloseMidMessage)
            break;
    }
    controller_.endSession(session);
    session.close();
    session.finished_ = true;
}

[[gnu::hot]] std::optional<Bytes> Simulator::replyTo(const Request& request, Session& session,
                                                   const std::optional<Fault>& fault)
{
    if (!fault)
        return controller_.handle(request, session);
    // A refusal is the controller's whole answer: the service does not run.
    if (fault->kind == FaultKind::Negative)
        return controller_.refuse(request, fault->value);
    if (fault->kind == FaultKind::Silent)
        return std::nullopt;
    return controller_.handle(request, session);
}

std::optional<Fault> Simulator::takeFault(uint16_t code)
{
    if (!faultsQueued_)
        return std::nullopt;
    std::lock_guard lock(mutex_);
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->requestCode != 0 && it->requestCode != code)
            continue;
        Fault fault = *it;
        if (--it->times <= 0)
            faults_.erase(it);
        faultsQueued_ = !faults_.empty();
        return fault;
    }
    return std::nullopt;
}

void Simulator::answerWithFault(Session& session, Bytes& reply, const Fault& fault)
{
    switch (fault.kind) {
    case FaultKind::Late:
        if (pause(fault.delay))
            session.send(reply);
        return;
    case FaultKind::Split: {
        std::size_t pieces = static_cast<std::size_t>(std::max(fault.pieces, 1));
        std::size_t piece = (reply.size() + pieces - 1) / pieces;
        for (std::size_t offset = 0; offset < reply.size(); offset += piece) {
            if (offset != 0 && !pause(fault.delay))
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
        writeBe16(reply, kExceptionOffset, fault.value);
        break;
    case FaultKind::IndicationFirst:
        session.send(fault.bytes);
        break;
    case FaultKind::AbsurdLength:
        writeBe16(reply, kLengthOffset, fault.value);
        break;
    case FaultKind::PatchWord:
        if (fault.offset + 2 <= reply.size())
            writeBe16(reply, fault.offset, fault.value);
        break;
    case FaultKind::Truncate:
        reply.resize(std::min<std::size_t>(reply.size(), fault.value));
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
    faultsQueued_ = true;
}

void Simulator::clearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
    faultsQueued_ = false;
}

void Simulator::setCapture(std::shared_ptr<PcapWriter> capture)
{
    std::lock_guard lock(mutex_);
    capture_ = std::move(capture);
}

void Simulator::setLogger(std::function<void(const std::string&)> logger)
{
    std::lock_guard lock(mutex_);
    logger_ = logger ? std::make_shared<const std::function<void(const std::string&)>>(std::move(logger)) : nullptr;
    logged_ = logger_ != nullptr;
}

void Simulator::setRequestTap(std::function<void(const Request&)> tap)
{
    std::lock_guard lock(mutex_);
    tap_ = tap ? std::make_shared<const std::function<void(const Request&)>>(std::move(tap)) : nullptr;
    tapped_ = tap_ != nullptr;
}

bool Simulator::sendToNode(uint16_t nodeId, std::span<const uint8_t> bytes)
{
    // The send runs without the simulator's lock, so a slow client cannot
    // stop the accept loop or the other connections.
    std::shared_ptr<Session> target;
    {
        std::lock_guard lock(mutex_);
        Session* session = controller_.sessionOf(nodeId);
        for (const auto& candidate : sessions_) {
            if (candidate.get() == session)
                target = candidate;
        }
    }
    return target != nullptr && target->send(bytes);
}

std::size_t Simulator::connectionCount() const
{
    std::lock_guard lock(mutex_);
    return connectionCountLocked();
}

std::size_t Simulator::connectionCountLocked() const
{
    return static_cast<std::size_t>(std::count_if(sessions_.begin(), sessions_.end(),
                                                   [](const auto& session) { return !session->finished_.load(); }));
}

std::size_t Simulator::sessionCount() const
{
    std::lock_guard lock(mutex_);
    return sessions_.size();
}

void Simulator::log(const Session& session, const Request& request, const std::optional<Bytes>& reply)
{
    if (!logged_)
        return;
    std::shared_ptr<const std::function<void(const std::string&)>> logger;
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
    (*logger)(line);
}

} // namespace korvo::sim
