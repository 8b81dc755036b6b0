// Arbitrary bytes as the controller's side of a node connection, fed to one
// service call: whatever arrives, no call may write past the caller's
// buffers, nor hand over data after a failure, nor hang.
#include "guarded_buffer.h"
#include "frame.h"

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>

namespace {

using fuzz::GuardedBuffer;
using fuzz::kMaxStream;
using fuzz::require;

// Touches every byte an indication hands over, so a record reaching past
// the received message shows up under the address sanitizer.
void checkIndication(uint32_t, DDI_PD_RECORD* record)
{
    unsigned sum = 0;
    for (uint16_t i = 0; i < record->length; ++i)
        sum += record->data[i];
    require(record->length <= QUORRIN_RECEIVE_BUFFER - 24 && sum <= 255u * record->length);
}

// Runs the call chosen by `selector` on the scripted node.
void runCall(uint8_t selector, uint32_t handle)
{
    switch (selector % 6) {
    case 0: {
        GuardedBuffer<8> data;
        DDI_PD_RECORD record{8, 0, 2, data.data()};
        uint32_t result = DDI_DTI_ReadData(handle, &record);
        require(data.guardIntact() && (result == 0 || data.untouched()));
        break;
    }
    case 1: {
        GuardedBuffer<8> data;
        uint8_t out[4] = {1, 2, 3, 4};
        DDI_PD_RECORD writeRecord{4, 0, 2, out};
        DDI_PD_RECORD readRecord{8, 0, 2, data.data()};
        uint32_t result = DDI_DTI_ReadWriteData(handle, &writeRecord, &readRecord);
        require(data.guardIntact() && (result == 0 || data.untouched()));
        break;
    }
    case 2: {
        GuardedBuffer<6> data;
        DDI_MSG_RECORD message{0, 6, 0, data.data()};
        uint32_t result = DDI_MXI_RcvMessage(handle, &message);
        // A cut message fills the buffer and reports its full length.
        bool cut = result == ERR_BUFFER_SIZE;
        require(data.guardIntact() && (cut ? message.length > 6 : message.length <= 6)
                && (result == 0 || cut || data.untouched()));
        break;
    }
    case 3: {
        uint8_t bytes[2] = {3, 11};
        std::array<DDI_MSG_RECORD, 3> messages = {DDI_MSG_RECORD{0, 2, 0, bytes}, DDI_MSG_RECORD{0, 2, 0, bytes},
                                                  DDI_MSG_RECORD{0, 2, 0, bytes}};
        DDI_MXI_SndMultipleMessages(handle, messages.data(), 3);
        break;
    }
    case 4: {
        DDI_DIAG_RECORD diagnostic{0xEEEE, 0xEEEE};
        uint32_t result = GetKNSDiagnostic(handle, &diagnostic);
        require(result == 0 || (diagnostic.statusRegister == 0xEEEE && diagnostic.parameterRegister == 0xEEEE));
        break;
    }
    default:
        DDI_DevCloseNode(handle);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // A receive timeout of 0 turns "nothing more will come" into an immediate timeout.
    static const bool configured = [] {
        int32_t seconds = 0;
        return ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &seconds, sizeof seconds) == 0;
    }();
    require(configured);
    if (size == 0 || size > kMaxStream)
        return 0;

    int ends[2];
    require(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) == 0);
    int buffer = static_cast<int>(2 * kMaxStream);
    setsockopt(ends[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    setsockopt(ends[0], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    require(::write(ends[1], data + 1, size - 1) == static_cast<ssize_t>(size - 1));
    ::shutdown(ends[1], SHUT_WR);

    quorrin::Node* node = quorrin::reserveNode();
    require(node != nullptr);
    node->socket.adopt(ends[0]);
    node->nodeId = 1;
    node->monitoringMode = quorrin::MonitoringMode::Callback;
    node->monitoringCallback = checkIndication;
    node->state.store(quorrin::NodeState::OpenIdle);
    uint32_t handle = node->handle;

    runCall(data[0], handle);

    if (node->state.load() != quorrin::NodeState::Free)
        quorrin::freeNode(*node);
    ::close(ends[1]);
    return 0;
}
