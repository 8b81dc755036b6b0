// What the benchmarks measure against: a raw TCP ping-pong peer that answers
// a fixed sequence of message sizes, and a simulated coupler on a loopback
// address of its own. Both pick free addresses and ports themselves.
#pragma once

#include "korvo_sim/simulator.h"

#include <netinet/in.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace korvo::bench {

// One exchange: the request's and the answer's size in bytes.
using Exchange = std::pair<std::size_t, std::size_t>;

// Answers the exchanges of `script` in turn, over and over, on one connection.
class PingPongPeer {
public:
    explicit PingPongPeer(std::vector<Exchange> script);
    ~PingPongPeer();
    PingPongPeer(const PingPongPeer&) = delete;
    PingPongPeer& operator=(const PingPongPeer&) = delete;

    // Runs the whole script once from the client's side; false when the connection failed.
    bool RunScript();

private:
    std::vector<Exchange> script_;
    int listener_ = -1;
    int client_ = -1;
    std::vector<unsigned char> request_;
    std::vector<unsigned char> reply_;
    std::thread thread_;
};

// A started simulator on a random 127.x.y.z address (the protocol's port is fixed).
std::unique_ptr<korvo::sim::Simulator> StartSimulator(std::string& address);

// Median of the samples; the samples are reordered.
double Median(std::vector<double>& samples);

// Wall-clock microseconds of `body`.
template <typename Body>
double MicrosecondsOf(Body&& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace korvo::bench
