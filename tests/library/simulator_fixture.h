// Starts a simulated coupler on the executable's own loopback address and
// leaves the library's process-wide state clean after each test.
#pragma once

#include "korvo_sim/simulator.h"
#include "quorrin.h"
#include "random_loopback.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class SimulatorTest : public ::testing::Test {
protected:
    // Each test has a random loopback address of its own, so tests running at the
    // same time never collide on the protocol's fixed port 1962.
    SimulatorTest() : SimulatorTest(RandomLoopbackAddress()) {}
    explicit SimulatorTest(std::string address) : address_(std::move(address)), simulator_({address_}) {}

    void SetUp() override
    {
        simulator_.start();
        simulator_.setRequestTap([this](const korvo::sim::Request& request) {
            std::lock_guard lock(requestsMutex_);
            requests_.push_back(request.bytes);
        });
        setTimeouts(1, 1);
    }

    void TearDown() override
    {
        simulator_.clearFaults();
        simulator_.controller().setExceptionWord(0);
        for (uint32_t handle = QUORRIN_FIRST_HANDLE; handle <= QUORRIN_LAST_HANDLE; ++handle)
            DDI_DevCloseNode(handle);
        simulator_.stop();
    }

    static void setTimeouts(int32_t connectSeconds, int32_t receiveSeconds)
    {
        ASSERT_EQ(ETH_SetClientOptions(ETH_OPTION_CONNECT_TIMEOUT, &connectSeconds, 4), DDI_OK);
        ASSERT_EQ(ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &receiveSeconds, 4), DDI_OK);
    }

    static int32_t timeout(int32_t option)
    {
        int32_t seconds = 0;
        int32_t size = 4;
        EXPECT_EQ(ETH_GetClientOptions(option, &seconds, &size), DDI_OK);
        return seconds;
    }

    std::string nodeName(const std::string& suffix) const { return "KNETHIP[" + address_ + "|1,1]" + suffix; }

    uint32_t open(const std::string& suffix, uint32_t& handle) const
    {
        return DDI_DevOpenNode(nodeName(suffix).c_str(), 3, &handle);
    }

    uint32_t openData()
    {
        uint32_t handle = 0;
        EXPECT_EQ(open("N1_D", handle), DDI_OK);
        return handle;
    }

    uint32_t openMailbox()
    {
        uint32_t handle = 0;
        EXPECT_EQ(open("N1_M", handle), DDI_OK);
        return handle;
    }

    // The controller's id of the most recently opened node of that name.
    uint16_t lastNodeId(const std::string& name)
    {
        auto ids = simulator_.controller().openNodes(name);
        return ids.empty() ? 0 : ids.back();
    }

    std::vector<korvo::sim::Bytes> requests()
    {
        std::lock_guard lock(requestsMutex_);
        return requests_;
    }

    korvo::sim::Bytes lastRequest()
    {
        std::lock_guard lock(requestsMutex_);
        return requests_.empty() ? korvo::sim::Bytes{} : requests_.back();
    }

    std::size_t requestCount()
    {
        std::lock_guard lock(requestsMutex_);
        return requests_.size();
    }

    std::string address_;
    korvo::sim::Simulator simulator_;

private:
    std::mutex requestsMutex_;
    std::vector<korvo::sim::Bytes> requests_;
};

// Milliseconds that a call took.
template <typename Call>
long long elapsedMs(Call&& call)
{
    auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}
