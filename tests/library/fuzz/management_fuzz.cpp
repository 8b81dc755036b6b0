// Arbitrary bytes as the controller's side of a management connection, fed
// to one management call: whatever arrives, no call may write past the
// caller's records, nor hand over results after a failure, nor hang.
#include "guarded_buffer.h"
#include "management.h"
#include "quorrin.h"

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

using fuzz::GuardedBuffer;
using fuzz::kMaxStream;
using fuzz::require;

void runCall(uint8_t selector, uint32_t handle)
{
    switch (selector % 6) {
    case 0: {
        GuardedBuffer<sizeof(ETH_NET_CONFIGURATION)> record;
        uint32_t result = ETH_GetNetConfiguration(handle, 1, reinterpret_cast<ETH_NET_CONFIGURATION*>(record.data()));
        require(record.guardIntact() && (result == 0 || record.untouched()));
        break;
    }
    case 1: {
        GuardedBuffer<QUORRIN_IDENTIFY_SIZE> block;
        uint32_t result = ETH_Identify(handle, block.data());
        require(block.guardIntact() && (result == 0 || block.untouched()));
        break;
    }
    case 2: {
        GuardedBuffer<sizeof(ETH_STATUS_RECORD)> record;
        uint32_t result = ETH_Status(handle, reinterpret_cast<ETH_STATUS_RECORD*>(record.data()));
        require(record.guardIntact() && (result == 0 || record.untouched()));
        break;
    }
    case 3: {
        uint16_t first = 0xEEEE;
        uint16_t second = 0xEEEE;
        uint32_t result = ETH_GetTCPMode(handle, &first, &second);
        require(result == 0 || (first == 0xEEEE && second == 0xEEEE));
        break;
    }
    case 4:
        ETH_HardwareReset(handle);
        break;
    default:
        ETH_AbortManagement(handle);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // Everything the controller will send is there before the call starts.
    quorrin::management::setReceiveLimit(std::chrono::milliseconds(0));
    if (size == 0 || size > kMaxStream)
        return 0;

    int ends[2];
    require(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) == 0);
    int buffer = static_cast<int>(2 * kMaxStream);
    setsockopt(ends[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    setsockopt(ends[0], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    require(::write(ends[1], data + 1, size - 1) == static_cast<ssize_t>(size - 1));
    ::shutdown(ends[1], SHUT_WR);

    constexpr uint32_t handle = 0;
    require(quorrin::management::adoptConnection(handle, ends[0], 1));
    runCall(data[0], handle);

    // An entry left open ends with the next receive: the stream is over.
    while (ETH_AbortManagement(handle) != ERR_MGMT_STATE) {
    }
    ::close(ends[1]);
    return 0;
}
