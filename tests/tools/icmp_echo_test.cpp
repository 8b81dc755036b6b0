#include "tools/icmp_echo.h"

#include <gtest/gtest.h>

#include <fstream>

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvo {
namespace {

bool NoIcmpSocketAllowed(const EchoResult& r) {
    return !r.sent && r.error.find("ICMP socket") != std::string::npos;
}

TEST(IcmpEcho, LoopbackAnswersWithItsAddressAndSequence) {
    const EchoResult first = SendEcho("127.0.0.1");
    if (NoIcmpSocketAllowed(first)) GTEST_SKIP() << first.error;
    ASSERT_TRUE(first.sent) << first.error;
    EXPECT_EQ(first.reply.bytes, 32);
    EXPECT_EQ(first.reply.address, "127.0.0.1");
    EXPECT_GT(first.reply.ttl, 0);
    EXPECT_LT(first.reply.roundTripMs, 1000);
    const EchoResult second = SendEcho("127.0.0.10");
    ASSERT_TRUE(second.sent);
    EXPECT_EQ(second.reply.address, "127.0.0.10");
    EXPECT_EQ(second.reply.sequence, first.reply.sequence + 1);
}

TEST(IcmpEcho, GroupsWithLeadingZerosAreDecimal) {
    // The resolver would take "010" as octal 8 and "008" as no number at all.
    const EchoResult padded = SendEcho("127.000.000.010");
    if (NoIcmpSocketAllowed(padded)) GTEST_SKIP() << padded.error;
    ASSERT_TRUE(padded.sent) << padded.error;
    EXPECT_EQ(padded.reply.address, "127.0.0.10");
    const EchoResult eight = SendEcho("127.0.0.008");
    ASSERT_TRUE(eight.sent) << eight.error;
    EXPECT_EQ(eight.reply.address, "127.0.0.8");
}

TEST(IcmpEcho, EmptyAddressIsAnErrorNotASend) {
    const EchoResult r = SendEcho("");
    EXPECT_FALSE(r.sent);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(r.reply.bytes, 0);
}

// Child side of the time-out test: a network namespace of its own whose loopback
// ignores echo requests. Exit 0 = timed out as expected, 77 = cannot set it up.
int SilentLoopbackChild() {
    if (::unshare(CLONE_NEWNET) != 0) return 77;
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ifreq ifr{};
    std::snprintf(ifr.ifr_name, IFNAMSIZ, "lo");
    if (fd < 0 || ::ioctl(fd, SIOCGIFFLAGS, &ifr) != 0) return 77;
    ifr.ifr_flags = static_cast<short>(ifr.ifr_flags | IFF_UP);
    if (::ioctl(fd, SIOCSIFFLAGS, &ifr) != 0) return 77;
    ::close(fd);
    {
        std::ofstream ignore("/proc/sys/net/ipv4/icmp_echo_ignore_all");
        ignore << "1\n";
        if (!ignore) return 77;
    }
    const EchoResult r = SendEcho("127.0.0.1", 300);
    if (NoIcmpSocketAllowed(r)) return 77;
    if (!r.sent) return 1;
    if (r.reply.bytes != 0 || r.reply.address != "0.0.0.0" || r.reply.roundTripMs != 0) return 2;
    return 0;
}

TEST(IcmpEcho, SilentHostTimesOutWithEmptyReply) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(SilentLoopbackChild());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "network namespaces or ICMP sockets are not allowed here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace korvo
