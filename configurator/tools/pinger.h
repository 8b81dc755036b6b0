#pragma once
// The ICMP echo behind the reachability checks, replaceable in tests.

#include "tools/icmp_echo.h"

namespace korvo {

class Pinger {
public:
    virtual ~Pinger() = default;
    virtual EchoResult Ping(const std::string& host) { return SendEcho(host); }
};

}  // namespace korvo
