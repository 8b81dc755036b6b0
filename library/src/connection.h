// One exchange on a node: claim it, send the request, read messages until the
// confirmation (handling exception words and indications on the way), and
// give the node back or drop it after a network failure.
#pragma once

#include "frame.h"
#include "wire.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <vector>

namespace quorrin {

struct Reply {
    std::array<uint8_t, wire::kReceiveBuffer> bytes;
    std::size_t length = 0;
    wire::Reader reader() const { return wire::Reader(std::span<const uint8_t>(bytes.data(), length)); }
};

class NodeCall {
public:
    // Claims an open-idle node for one exchange; status() tells why not.
    NodeCall(uint32_t handle, NodeState busy);
    // Takes over an entry that the open exchange has just reserved.
    explicit NodeCall(Node& reserved) : node_(&reserved) {}
    NodeCall(const NodeCall&) = delete;
    NodeCall& operator=(const NodeCall&) = delete;
    // Returns the node to open-idle unless it was dropped.
    ~NodeCall();

    uint32_t status() const { return status_; }
    Node& node() { return *node_; }

    // Sends the request and reads its confirmation into `reply`; a network
    // failure or timeout drops the node.
    uint32_t exchange(std::span<const uint8_t> request, Reply& reply);
    uint32_t send(std::span<const uint8_t> request);
    uint32_t receive(Reply& reply);

    // Closes the node's connection and frees its entry.
    void drop();

    // Runs a service body; a failed allocation drops the node as the
    // failure rules require.
    template <typename Body>
    uint32_t run(Body&& body)
    {
        try {
            return body();
        } catch (const std::bad_alloc&) {
            drop();
            return ERR_NO_MEMORY;
        }
    }

private:
    Node* node_ = nullptr;
    uint32_t status_ = 0;
};

// The handle check that opens every node call, without claiming the node:
// ERR_HANDLE_RANGE, ERR_NODE_STATE or 0.
uint32_t checkHandle(uint32_t handle);

// The result of a call whose arguments are wrong: the handle's error comes
// first, as every call checks the handle before anything else.
inline uint32_t argumentError(uint32_t handle)
{
    uint32_t result = checkHandle(handle);
    return result != 0 ? result : ERR_INVALID_ARGUMENT;
}

// 0 for a positive confirmation of `requestCode`; ERR_CONFIRMATION for
// another code; ERR_DEVICE_BASE + the controller's code when negative.
uint32_t checkConfirmation(const wire::Reader& confirmation, uint16_t requestCode);

} // namespace quorrin
