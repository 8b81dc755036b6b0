#pragma once
// One ICMP echo request and its reply: the reachability check before every online
// function and the ping window. IPv4 only, as the couplers are.

#include <string>

namespace korvo {

struct EchoReply {
    int bytes = 0;                    // bytes of the reply's data; 0 when no reply came
    std::string address = "0.0.0.0";  // the replying host
    int sequence = 0;
    int ttl = 0;
    int roundTripMs = 0;
};

struct EchoResult {
    bool sent = false;   // false: the request could not be sent, see error
    bool notPermitted = false;  // no ICMP socket may be opened by this user
    std::string error;
    EchoReply reply;
};

inline constexpr int kEchoTimeoutMs = 1000;

// Sends one echo request to the host (dotted address or name) and waits up to
// timeoutMs for its reply. Tries an unprivileged ICMP socket first, then a raw one.
EchoResult SendEcho(const std::string& host, int timeoutMs = kEchoTimeoutMs);

}  // namespace korvo
