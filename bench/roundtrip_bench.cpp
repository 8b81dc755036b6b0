// Round trips through quorrin against the simulated coupler, next to a raw
// TCP ping-pong of the same message sizes, so the library's own cost shows
// as the ratio between the two.
#include "korvo_sim/simulator.h"
#include "quorrin.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

constexpr const char* kSimulatorAddress = "127.0.0.90";
constexpr const char* kEchoAddress = "127.0.0.91";

// Request and confirmation sizes of the two library calls measured.
constexpr std::size_t kReadRequest = 18;
constexpr std::size_t kReadConfirmation = 22;
constexpr std::size_t kWriteRequest = 18 + 512;
constexpr std::size_t kWriteConfirmation = 16;

bool readExact(int fd, uint8_t* buffer, std::size_t count)
{
    while (count > 0) {
        ssize_t got = ::recv(fd, buffer, count, 0);
        if (got <= 0)
            return false;
        buffer += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

bool sendAll(int fd, const uint8_t* buffer, std::size_t count)
{
    while (count > 0) {
        ssize_t sent = ::send(fd, buffer, count, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        buffer += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

// Answers every `requestSize` bytes with `replySize` bytes on one connection.
class PingPongServer {
public:
    PingPongServer(std::size_t requestSize, std::size_t replySize)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, kEchoAddress, &local.sin_addr);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 || ::listen(listener_, 1) != 0)
            throw std::runtime_error("cannot listen for the ping-pong server");
        socklen_t size = sizeof local;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &size);
        address_ = local;
        thread_ = std::thread([this, requestSize, replySize] {
            int fd = ::accept(listener_, nullptr, nullptr);
            int on = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            std::vector<uint8_t> request(requestSize);
            std::vector<uint8_t> reply(replySize, 0x5A);
            while (readExact(fd, request.data(), request.size()) && sendAll(fd, reply.data(), reply.size())) {
            }
            ::close(fd);
        });
    }

    ~PingPongServer()
    {
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }

    sockaddr_in address() const { return address_; }

private:
    int listener_;
    sockaddr_in address_{};
    std::thread thread_;
};

void rawPingPong(benchmark::State& state, std::size_t requestSize, std::size_t replySize)
{
    PingPongServer server(requestSize, replySize);
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in remote = server.address();
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        state.SkipWithError("cannot connect to the ping-pong server");
        ::close(fd);
        return;
    }
    std::vector<uint8_t> request(requestSize, 0xA5);
    std::vector<uint8_t> reply(replySize);
    for (auto _ : state) {
        if (!sendAll(fd, request.data(), request.size()) || !readExact(fd, reply.data(), reply.size())) {
            state.SkipWithError("ping-pong connection failed");
            break;
        }
    }
    ::close(fd);
}

uint32_t openDataNode(benchmark::State& state)
{
    uint32_t handle = 0;
    std::string name = std::string("KNETHIP[") + kSimulatorAddress + "|1,1]N1_D";
    if (DDI_DevOpenNode(name.c_str(), 3, &handle) != DDI_OK)
        state.SkipWithError("cannot open the data node of the simulator");
    return handle;
}

void BM_QuorrinRead2Bytes(benchmark::State& state)
{
    uint32_t handle = openDataNode(state);
    uint8_t data[2];
    DDI_PD_RECORD record{2, 0, 2, data};
    for (auto _ : state) {
        if (DDI_DTI_ReadData(handle, &record) != DDI_OK) {
            state.SkipWithError("read failed");
            break;
        }
    }
    DDI_DevCloseNode(handle);
}

void BM_RawPingPongRead2Bytes(benchmark::State& state)
{
    rawPingPong(state, kReadRequest, kReadConfirmation);
}

void BM_QuorrinWrite512Bytes(benchmark::State& state)
{
    uint32_t handle = openDataNode(state);
    std::vector<uint8_t> data(512, 0x3C);
    DDI_PD_RECORD record{512, 0, 2, data.data()};
    for (auto _ : state) {
        if (DDI_DTI_WriteData(handle, &record) != DDI_OK) {
            state.SkipWithError("write failed");
            break;
        }
    }
    DDI_DevCloseNode(handle);
}

void BM_RawPingPongWrite512Bytes(benchmark::State& state)
{
    rawPingPong(state, kWriteRequest, kWriteConfirmation);
}

BENCHMARK(BM_QuorrinRead2Bytes)->UseRealTime();
BENCHMARK(BM_RawPingPongRead2Bytes)->UseRealTime();
BENCHMARK(BM_QuorrinWrite512Bytes)->UseRealTime();
BENCHMARK(BM_RawPingPongWrite512Bytes)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    korvo::sim::Simulator simulator(korvo::sim::SimulatorOptions{kSimulatorAddress});
    simulator.start();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    simulator.stop();
    return 0;
}
