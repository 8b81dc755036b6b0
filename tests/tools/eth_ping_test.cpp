#include "tools/eth_ping.h"

#include "tools/pinger.h"
#include "station/station_model.h"

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
    EXPECT_EQ(PingReplyLine(reply, 0, "localhost"), "32 bytes from 127.0.0.1: icmp_seq=0 ttl=64 time<1 ms");
    reply.roundTripMs = 3;
    EXPECT_EQ(PingReplyLine(reply, 7, "localhost"), "32 bytes from 127.0.0.1: icmp_seq=7 ttl=64 time=3 ms");
}

// No answer is no reply from 0.0.0.0 in no time: the line names the host as typed
// and the time waited.
TEST(PingReplyLine, TimeOutSaysNoAnswerFromTheHostWithinTheWait) {
    EXPECT_EQ(PingReplyLine(EchoReply{}, 2, " 10.0.0.5 "),
              "no answer from 10.0.0.5 within 1000 ms (icmp_seq=2)");
}

TEST(PingHostOfSelection, SelectedCouplersAddressOrNone) {
    StationModel model(nullptr, "/");
    model.AppendModule("KORVO NC ETH");
    model.AppendModule("KORVO DI 8");
    model.Module(1)->StationsNummmer = 1;
    model.Module(1)->IPAddress = "127.  0.  0. 10";
    EXPECT_EQ(PingHostOfSelection(model), "") << "nothing selected";
    model.SelectedCoupler = 1;
    EXPECT_EQ(PingHostOfSelection(model), "127.0.0.10");
    model.SelectedCoupler = 2;
    EXPECT_EQ(PingHostOfSelection(model), "") << "no coupler";
}

TEST(EthPing, SequenceCountsSentRequestsOfThisWindowOnly) {
    ScriptedPinger pinger;
    pinger.next.sent = true;
    EthPing ping(pinger);
    EXPECT_EQ(ping.Ping("10.0.0.1").line, "no answer from 10.0.0.1 within 1000 ms (icmp_seq=0)");
    EXPECT_EQ(ping.Ping("10.0.0.1").line, "no answer from 10.0.0.1 within 1000 ms (icmp_seq=1)");
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
