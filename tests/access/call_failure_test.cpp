// The reason line of a failed call: each cause a commissioning engineer must tell
// apart reads differently, and the code stays beside it.

#include "access/call_failure.h"

#include <quorrin.h>

#include <gtest/gtest.h>

namespace korvo {
namespace {

TEST(CallFailureReason, NetworkCausesReadApart) {
    EXPECT_EQ(CallFailureReason(ERR_NETWORK, 10061, 2, 3), "connection refused (E0071000h)");
    EXPECT_EQ(CallFailureReason(ERR_NETWORK, 10054, 2, 3), "connection lost (E0071000h)");
    EXPECT_EQ(CallFailureReason(ERR_NETWORK, 10060, 2, 3), "no answer within 3 s (E0071000h)");
    EXPECT_EQ(CallFailureReason(ERR_TIMEOUT, 0, 2, 3), "no answer within 2 s (E0071001h)");
    EXPECT_EQ(CallFailureReason(ERR_NETWORK, 10065, 2, 3), "no route to the coupler (E0071000h)");
    EXPECT_EQ(CallFailureReason(ERR_NETWORK, 10049, 2, 3), "connection lost (socket error 10049) (E0071000h)");
}

TEST(CallFailureReason, RefusalsOfTheCouplerNameTheirCause) {
    EXPECT_EQ(CallFailureReason(ERR_DEVICE_BASE | 0xA2, 0, 2, 3), "outputs refused by the coupler's watchdog (00A2)");
    EXPECT_EQ(CallFailureReason(ERR_DEVICE_BASE | 0xAA, 0, 2, 3),
              "outputs refused: a Modbus client is active on the coupler (00AA)");
    EXPECT_EQ(CallFailureReason(ERR_DEVICE_BASE | 0xA9, 0, 2, 3), "outputs refused: Plug & Play is on (00A9)");
    EXPECT_EQ(CallFailureReason(ERR_DEVICE_BASE | 0x15, 0, 2, 3), "the coupler refused the request, its error code 0015h");
    // A named code of the library wins over the controller range it lies in.
    EXPECT_EQ(CallFailureReason(ERR_NODE_STATE, 0, 2, 3), "the connection had been dropped or is busy (E0070086h)");
    EXPECT_EQ(CallFailureReason(0x12345678u, 0, 2, 3), "error 12345678h");
}

}  // namespace
}  // namespace korvo
