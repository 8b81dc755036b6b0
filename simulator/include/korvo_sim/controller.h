// The bus coupler's controller behind the TCP server: nodes, process images,
// mailbox queues and registers. Services are handlers registered by request
// code, so later services (control, management, firmware commands) plug in
// without touching the server.
#pragma once

#include "korvo_sim/message.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace korvo::sim {

class Session;

inline constexpr std::size_t kImageSize = 512;
inline constexpr uint16_t kAccessMode = 3;
inline constexpr const char* kMailboxNode = "KNETH01N1_M";
inline constexpr const char* kDataNode = "KNETH01N1_D";

// Diagnosis register bits the controller reports.
inline constexpr uint16_t kDiagReady = 1u << 7;
inline constexpr uint16_t kDiagActive = 1u << 6;
inline constexpr uint16_t kDiagRun = 1u << 5;
inline constexpr uint16_t kDiagWarning = 1u << 13;
inline constexpr uint16_t kDiagControllerFail = 1u << 3;
inline constexpr uint16_t kDiagBusFail = 1u << 2;
inline constexpr uint16_t kDiagSubmoduleFail = 1u << 1;
inline constexpr uint16_t kDiagUserFail = 1u << 0;

// Error codes of the controller's negative confirmations.
enum ControllerError : uint16_t {
    kErrUnknownService = 0x0010,
    kErrUnknownNode = 0x0011,
    kErrAccessMode = 0x0012,
    kErrNodeNotOpen = 0x0013,
    kErrAddressRange = 0x0014,
    kErrNoMessage = 0x0015,
    kErrMessageLength = 0x0016,
    kErrNodeTableFull = 0x0017,
};

// Why output writes are refused; the value is the error code sent.
enum class WriteRefusal : uint16_t { None = 0, ModbusClient = 0xAA, Watchdog = 0xA2, PlugAndPlay = 0xA9 };

struct MailboxMessage {
    uint16_t tag1 = 0;
    uint16_t tag2 = 0;
    Bytes data;
};

// Turns a message sent to a node into the messages that node will receive.
using MailboxHandler = std::function<std::vector<MailboxMessage>(uint16_t nodeId, const MailboxMessage& sent)>;
// Answers one request; no value means no answer at all.
using RequestHandler = std::function<std::optional<Bytes>(const Request&, Session&)>;
// Builds the negative confirmation of a request with the given error code.
using RefusalBuilder = std::function<Bytes(const Request&, uint16_t errorCode)>;
// Told which input bytes a change of the image touched.
using InputsObserver = std::function<void(std::size_t address, std::size_t count)>;

class Controller {
public:
    Controller();
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    // Replaces or adds the service for a request code.
    void setRequestHandler(uint16_t code, RequestHandler handler);
    // Message families with their own layout refuse in their own way.
    void setRefusalBuilder(uint16_t code, RefusalBuilder builder);
    Bytes refuse(const Request& request, uint16_t errorCode);
    // Observers run on the thread that changed the inputs, after the change.
    void addInputsObserver(InputsObserver observer);
    std::optional<Bytes> handle(const Request& request, Session& session);
    // Closes the nodes of a connection that has ended.
    void endSession(Session& session);
    // Wakes every held receive so the server can stop.
    void shutdown();

    // Image access for the simulation; out-of-range blocks are ignored or empty.
    void setInputs(std::size_t address, std::span<const uint8_t> bytes);
    Bytes inputs(std::size_t address, std::size_t count) const;
    Bytes outputs(std::size_t address, std::size_t count) const;
    // Sets output bytes as a client's write would, e.g. to start a simulation from a known state.
    void setOutputs(std::size_t address, std::span<const uint8_t> bytes);

    void setMailboxHandler(MailboxHandler handler);
    void queueMessage(uint16_t nodeId, MailboxMessage message);
    std::vector<MailboxMessage> sentMessages(uint16_t nodeId) const;
    // Ids of the open nodes with this name, in id order.
    std::vector<uint16_t> openNodes(const std::string& name) const;
    // The connection holding the node; null when it is not open.
    Session* sessionOf(uint16_t nodeId) const;
    bool notificationActive(uint16_t nodeId) const;

    void setDiagnosis(uint16_t status, uint16_t parameter);
    void setDipSwitch(uint16_t value);
    void setSysFail(uint16_t value);
    void setWriteRefusal(WriteRefusal refusal);
    // Exception word stamped into every confirmation until set back to 0.
    void setExceptionWord(uint16_t word);

private:
    struct Node {
        std::string name;
        Session* session = nullptr;
        bool notification = false;
        int32_t waitTime = 0;
        std::deque<MailboxMessage> queue;
        // The latest sent messages only: a long-running simulator must not grow without end.
        std::deque<MailboxMessage> sent;
    };
    static constexpr std::size_t kSentHistory = 1024;

    // The built-in service of a node request; unknown codes are refused.
    std::optional<Bytes> serveNodeService(const Request& request, Session& session);
    // The handler set for the request's code, or else the built-in service.
    std::optional<Bytes> serveByHandler(const Request& request, Session& session);
    // The node named by the request, open on this connection; null otherwise.
    Node* nodeOf(const Request& request, Session& session);
    std::optional<Bytes> openNode(const Request& request, Session& session);
    std::optional<Bytes> closeNode(const Request& request, Session& session);
    std::optional<Bytes> writeData(const Request& request, Session& session);
    std::optional<Bytes> readData(const Request& request, Session& session);
    std::optional<Bytes> readWriteData(const Request& request, Session& session);
    std::optional<Bytes> sendMessage(const Request& request, Session& session);
    std::optional<Bytes> receiveMessage(const Request& request, Session& session);
    std::optional<Bytes> notification(const Request& request, Session& session, bool active);
    std::optional<Bytes> registers(const Request& request, Session& session);

    mutable std::mutex mutex_;
    std::condition_variable mailboxChanged_;
    bool stopping_ = false;
    // Services set from outside; shared so that a request holds its handler
    // without copying it.
    std::map<uint16_t, std::shared_ptr<const RequestHandler>> handlers_;
    // One bit per built-in node service that a set handler replaces.
    std::atomic<uint32_t> replacedNodeServices_{0};
    std::map<uint16_t, RefusalBuilder> refusals_;
    std::vector<InputsObserver> inputsObservers_;
    std::map<uint16_t, Node> nodes_;
    uint16_t nextNodeId_ = 1;
    std::array<uint8_t, kImageSize> inputs_{};
    std::array<uint8_t, kImageSize> outputs_{};
    // Shared so that a send holds the handler without copying it.
    std::shared_ptr<const MailboxHandler> mailboxHandler_;
    uint16_t diagnosisStatus_ = kDiagReady | kDiagActive | kDiagRun;
    uint16_t diagnosisParameter_ = 0;
    uint16_t dipSwitch_ = 0;
    uint16_t sysFail_ = 0;
    WriteRefusal writeRefusal_ = WriteRefusal::None;
    std::atomic<uint16_t> exceptionWord_{0};
};

} // namespace korvo::sim
