#pragma once
// A loopback address of the test's own, so test programs running at the same time
// on one machine never share the protocol's fixed port.

#include <random>
#include <string>

inline std::string RandomLoopbackAddress() {
    std::random_device device;
    std::uniform_int_distribution<int> part(1, 254);
    return "127.13." + std::to_string(part(device)) + "." + std::to_string(part(device));
}
