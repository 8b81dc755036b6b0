#include "tools/eth_ping.h"

#include "shell/pinger.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvo {
namespace {

class ScriptedPinger : public Pinger {
public:
    EchoResult Ping(const std::string& host) override {
        hosts.push_back(host);
        return next;
    }
    std::vector<std::string> hosts;
    EchoResult next;
};

TEST(PingReplyLine, RoundTripUnderOneMillisecondShowsLessThanOne) {
    EchoReply reply;
    reply.bytes = 32;
    reply.address = "127.0.0.1";
    reply.ttl = 64;
    EXPECT_EQ(PingReplyLine(reply, 0), "32 bytes from 127.0.0.1: icmp_seq=0 ttl=64 time<1 ms");
    reply.roundTripMs = 3;
    EXPECT_EQ(PingReplyLine(reply, 7), "32 bytes from 127.0.0.1: icmp_seq=7 ttl=64 time=3 ms");
}

TEST(PingReplyLine, TimeOutLineHasNoBytesAndNullAddress) {
    EXPECT_EQ(PingReplyLine(EchoReply{}, 2), "0 bytes from 0.0.0.0: icmp_seq=2 ttl=0 time<1 ms");
}

TEST(EthPing, SequenceCountsSentRequestsOfThisWindowOnly) {
    ScriptedPinger pinger;
    pinger.next.sent = true;
    EthPing ping(pinger);
    EXPECT_NE(ping.Ping("10.0.0.1").line.find("icmp_seq=0 "), std::string::npos);
    EXPECT_NE(ping.Ping("10.0.0.1").line.find("icmp_seq=1 "), std::string::npos);
    pinger.next.sent = false;
    pinger.next.error = "cannot resolve";
    const PingAttempt failed = ping.Ping("no such host");
    EXPECT_FALSE(failed.sent);
    EXPECT_TRUE(failed.line.empty());
    EXPECT_EQ(ping.NextSequence(), 2);
    EXPECT_EQ(pinger.hosts.back(), "no such host");
    EthPing other(pinger);
    EXPECT_EQ(other.NextSequence(), 0);
}

TEST(EthPing, PermissionProblemIsReportedAsSuch) {
    ScriptedPinger pinger;
    pinger.next.notPermitted = true;
    EthPing ping(pinger);
    const PingAttempt attempt = ping.Ping("127.0.0.1");
    EXPECT_FALSE(attempt.sent);
    EXPECT_TRUE(attempt.notPermitted);
    EXPECT_NE(std::string(EthPing::kNotPermitted).find("net.ipv4.ping_group_range=\"0 2147483647\""),
              std::string::npos);
}

TEST(LocalHostInfo, NamesThisComputerAndAnAddress) {
    const LocalHost host = LocalHostInfo();
    EXPECT_FALSE(host.name.empty());
    // Every machine has at least its loopback interface up.
    EXPECT_EQ(std::count(host.address.begin(), host.address.end(), '.'), 3) << host.address;
}

}  // namespace
}  // namespace korvo
