// Soak run: I/O cycles (read the inputs, write the outputs) through quorrin
// against the simulated coupler, with a fault injected at random before some
// cycles. A failed call reopens the node, as the configurator does. Reports
// cycles, failures and reopens, and the process's descriptors and threads
// before and after; exits 1 when either grew or a cycle could not recover.
//
//   korvo_soak [CYCLES] [SEED]      (defaults: 10000 cycles, seed 1)
#include "korvo_sim/simulator.h"
#include "loopback_peers.h"
#include "quorrin.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>

namespace {

using korvo::sim::Fault;
using namespace std::chrono_literals;

constexpr uint16_t kRead = 0x0104;
constexpr uint16_t kWrite = 0x0103;

std::size_t entries(const char* folder)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

// One fault for the next read or write, drawn by kind.
Fault randomFault(std::mt19937& random, std::string& name)
{
    uint16_t code = random() % 2 == 0 ? kRead : kWrite;
    switch (random() % 9) {
    case 0: name = "close mid message"; return Fault::closeMidMessage(code);
    case 1: name = "wrong code"; return Fault::wrongCode(code);
    case 2: name = "negative"; return Fault::negative(code, 0x0014);
    case 3: name = "truncated"; return Fault::truncate(code, static_cast<uint16_t>(random() % 20));
    case 4: name = "absurd length"; return Fault::absurdLength(code, static_cast<uint16_t>(random()));
    case 5: name = "split"; return Fault::split(code, 1 + static_cast<int>(random() % 8), 1ms);
    case 6: name = "exception word"; return Fault::exceptionWord(code, 0xE000);
    case 7: name = "late"; return Fault::late(code, 1500ms);
    default: name = "silent"; return Fault::silent(code);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const long cycles = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1;
    std::mt19937 random(seed);

    std::string address;
    const auto ownSimulator = korvo::bench::StartSimulator(address);
    korvo::sim::Simulator& simulator = *ownSimulator;
    const std::string name = "KNETHIP[" + address + "|1,1]N1_D";
    int32_t second = 1;
    ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &second, sizeof second);
    ETH_SetClientOptions(ETH_OPTION_CONNECT_TIMEOUT, &second, sizeof second);

    uint32_t handle = 0;
    auto reopen = [&] {
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (DDI_DevOpenNode(name.c_str(), 3, &handle) == DDI_OK)
                return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    };
    // Counted with the node open and the simulator serving it.
    if (!reopen()) {
        std::fprintf(stderr, "korvo_soak: cannot open %s\n", name.c_str());
        return 1;
    }
    const std::size_t descriptorsBefore = entries("/proc/self/fd");
    const std::size_t threadsBefore = entries("/proc/self/task");

    uint8_t inputs[64] = {};
    uint8_t outputs[64] = {};
    long failures = 0;
    long reopens = 0;
    std::map<std::string, long> injected;
    const auto started = std::chrono::steady_clock::now();
    for (long cycle = 0; cycle < cycles; ++cycle) {
        // Faults that cost a receive timeout are rarer, so the run stays within minutes.
        if (random() % 100 < 5) {
            std::string kind;
            Fault fault = randomFault(random, kind);
            if ((kind != "late" && kind != "silent") || random() % 10 == 0) {
                simulator.inject(fault);
                ++injected[kind];
            }
        }
        outputs[0] = static_cast<uint8_t>(cycle);
        DDI_PD_RECORD read{sizeof inputs, 0, 2, inputs};
        DDI_PD_RECORD write{sizeof outputs, 0, 2, outputs};
        uint32_t readResult = DDI_DTI_ReadData(handle, &read);
        uint32_t writeResult = readResult == ERR_NETWORK || readResult == ERR_TIMEOUT
                                   ? readResult
                                   : DDI_DTI_WriteData(handle, &write);
        if (readResult == DDI_OK && writeResult == DDI_OK)
            continue;
        ++failures;
        simulator.clearFaults();
        // A dropped node answers ERR_NODE_STATE from then on: open it again.
        if (ETH_GetNetworkError(static_cast<int32_t>(handle)) != 0) {
            ++reopens;
            if (!reopen()) {
                std::fprintf(stderr, "korvo_soak: no recovery after cycle %ld\n", cycle);
                return 1;
            }
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // Ended connections are reaped by the simulator on its own.
    for (int i = 0; i < 100 && simulator.sessionCount() > 1; ++i)
        std::this_thread::sleep_for(20ms);
    const std::size_t descriptorsAfter = entries("/proc/self/fd");
    const std::size_t threadsAfter = entries("/proc/self/task");
    DDI_DevCloseNode(handle);
    simulator.stop();

    std::printf("cycles %ld in %.1f s, seed %u\n", cycles, seconds, seed);
    std::printf("failed cycles %ld, reopens %ld\n", failures, reopens);
    for (const auto& [kind, count] : injected)
        std::printf("  injected %-18s %ld\n", kind.c_str(), count);
    std::printf("descriptors %zu before, %zu after\n", descriptorsBefore, descriptorsAfter);
    std::printf("threads %zu before, %zu after\n", threadsBefore, threadsAfter);
    return descriptorsAfter > descriptorsBefore || threadsAfter > threadsBefore ? 1 : 0;
}
