// The exception handler set and cleared on one thread while another thread
// runs exchanges on the same node whose confirmations all carry an exception.
#include "random_loopback.h"
#include "simulator_fixture.h"

#include <atomic>
#include <thread>

namespace {

std::atomic<int> handlerCalls{0};
std::atomic<uint32_t> handlerHandle{0};

void countException(uint32_t handle, uint16_t, uint16_t)
{
    handlerHandle = handle;
    ++handlerCalls;
}

bool expectedHandlerResult(uint32_t result)
{
    return result == DDI_OK || result == ERR_NODE_STATE || result == ERR_HANDLER_STATE;
}

class HandlerThreadsTest : public SimulatorTest {
protected:
    HandlerThreadsTest() : SimulatorTest(RandomLoopbackAddress()) {}
};

TEST_F(HandlerThreadsTest, HandlerChangedDuringExchangesIsNeverCalledHalfSet)
{
    uint32_t handle = openData();
    simulator_.controller().setExceptionWord(0x3000);
    handlerCalls = 0;

    // Both threads give way after each call, so each gets the node often enough.
    std::atomic<bool> done{false};
    std::atomic<int> sets{0};
    std::atomic<int> unexpected{0};
    std::thread changer([&] {
        while (!done) {
            uint32_t set = ETH_SetExceptionHandler(handle, countException);
            if (set == DDI_OK)
                ++sets;
            else if (!expectedHandlerResult(set))
                ++unexpected;
            std::this_thread::yield();
            if (!expectedHandlerResult(ETH_ClrExceptionHandler(handle)))
                ++unexpected;
            std::this_thread::yield();
        }
    });
    // A read finds the node busy while the other thread holds it; nothing else may fail.
    uint8_t byte = 0;
    DDI_PD_RECORD record{1, 0, 2, &byte};
    int reads = 0;
    uint32_t failure = DDI_OK;
    for (long i = 0; i < 1000000 && (reads < 300 || sets < 30) && failure == DDI_OK; ++i) {
        uint32_t result = DDI_DTI_ReadData(handle, &record);
        if (result == DDI_OK)
            ++reads;
        else if (result == ERR_NODE_STATE)
            std::this_thread::yield();
        else
            failure = result;
    }
    done = true;
    changer.join();

    EXPECT_EQ(failure, DDI_OK);
    EXPECT_EQ(unexpected, 0);
    EXPECT_GE(reads, 300);
    EXPECT_GE(sets, 30);
    if (handlerCalls > 0) {
        EXPECT_EQ(handlerHandle, handle);
    }

    // Afterwards the node is idle and its handler state consistent: a fresh handler
    // is called by the next exception.
    ETH_ClrExceptionHandler(handle);
    int before = handlerCalls;
    uint32_t set = ETH_SetExceptionHandler(handle, countException);
    ASSERT_EQ(set, DDI_OK);
    ASSERT_EQ(DDI_DTI_ReadData(handle, &record), DDI_OK);
    EXPECT_GE(handlerCalls, before + 1);
    EXPECT_EQ(ETH_SetExceptionHandler(handle, countException), ERR_HANDLER_STATE);
}

} // namespace
