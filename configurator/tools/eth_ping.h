#pragma once
// Logic of the ping window: one echo request per press of "&Ping", the reply line in
// the usual ping format, the window's own sequence numbers, and the computer's own
// name and address it shows.

#include <string>

namespace korvo {

class Pinger;
class StationModel;
struct EchoReply;

// "32 bytes from 127.0.0.1: icmp_seq=0 ttl=64 time<1 ms"; a round trip of 0 ms is
// shown as "<1", any other as "=N". No reply: "no answer from HOST within 1000 ms
// (icmp_seq=0)", with the host as typed.
std::string PingReplyLine(const EchoReply& reply, int sequence, const std::string& host);

// The address the window opens with: the selected coupler's, blanks removed; empty
// when no coupler with an address is selected.
std::string PingHostOfSelection(const StationModel& model);

struct LocalHost {
    std::string name;
    std::string address;
};

// The host name and the first IPv4 address of an interface that is up, a
// non-loopback one if there is any. Asks no name server.
LocalHost LocalHostInfo();

struct PingAttempt {
    bool sent = false;          // false: no request left, see error
    bool notPermitted = false;  // this user may not send ICMP echoes
    std::string line;           // the line to list when sent
    std::string error;
};

class EthPing {
public:
    static constexpr const char* kInitialHost = "10.128.166.171";
    static constexpr const char* kCheckIpSettings = "ERROR !! check IP settings";
    static constexpr const char* kCommunicationError = "communication error";
    // How to let the program send echoes, as the README says.
    static constexpr const char* kNotPermitted =
        "This user may not send ICMP echo requests.\n"
        "Allow it for all groups with\n"
        "    sudo sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"\n"
        "or give the program the capability CAP_NET_RAW.";

    explicit EthPing(Pinger& pinger) : pinger_(pinger) {}

    // One echo to the host as typed, waiting up to 1000 ms.
    PingAttempt Ping(const std::string& host);
    // The number the next request will carry.
    int NextSequence() const { return sequence_; }

private:
    Pinger& pinger_;
    int sequence_ = 0;
};

}  // namespace korvo
