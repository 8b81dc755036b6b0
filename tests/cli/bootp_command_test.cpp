// "korvo bootp" up to the point where it would wait for requests: arguments are
// checked before the port is bound, and a port that cannot be bound is an error that
// says why and how to allow it. The exchange itself runs between network namespaces.

#include "bootp_command.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sstream>

namespace korvo {
namespace {

// A UDP port held by another socket, as a running DHCP server holds 67.
class HeldPort {
public:
    HeldPort() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        socklen_t size = sizeof local;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size);
        port_ = std::to_string(ntohs(local.sin_port));
    }
    ~HeldPort() { ::close(fd_); }
    const std::string& Port() const { return port_; }

private:
    int fd_ = -1;
    std::string port_;
};

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome Bootp(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Outcome run;
    run.status = RunBootpCommand(args, "/opt/korvo/korvo", out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

TEST(BootpCommand, BadArgumentsEndWithStatus2BeforeThePortIsTouched) {
    const HeldPort held;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--mac", "0A.1B.2C.3D.4E.5F", "--ip", "10.1.256.1", "--port", held.Port()},
         "korvo: --ip \"10.1.256.1\" group 3 \"256\" is out of range 0..255\n"},
        {{"--mac", "0A.1B.2C.3D.4E.5G", "--ip", "10.1.2.1", "--port", held.Port()},
         "korvo: --mac \"0A.1B.2C.3D.4E.5G\" group 6 \"5G\" is not a hexadecimal number\n"},
        {{"--mac", "0A.1B.2C.3D.4E.5F", "--ip", "10.1.2.1", "--gateway", "10..1.1", "--port", held.Port()},
         "korvo: --gateway \"10..1.1\" group 2 \"\" is empty\n"},
        {{"--mac", "0A.1B.2C.3D.4E.5F", "--ip", "10.1.2.1", "--restart", "1.2.3.4.5", "--port", held.Port()},
         "korvo: --restart \"1.2.3.4.5\" has more than 4 groups\n"},
        {{"--ip", "10.1.2.1"}, "korvo: --mac is missing\n"},
        {{"--mac", "0A.1B.2C.3D.4E.5F", "--ip", "10.1.2.1", "--port", "70000"},
         "korvo: --port 70000 is not a valid value\n"},
        {{"--mac", "0A.1B.2C.3D.4E.5F", "--ip", "10.1.2.1", "--timeout"}, "korvo: --timeout needs a value\n"},
        {{"--mac", "0A.1B.2C.3D.4E.5F", "--ip", "10.1.2.1", "--loud"}, "korvo: unknown argument --loud\n"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome run = Bootp(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.err.rfind(message, 0), 0u) << run.err;
        EXPECT_EQ(run.err.find("cannot be bound"), std::string::npos) << run.err;
    }
}

TEST(BootpCommand, PortThatCannotBeBoundIsAnErrorWithTheWayToAllowIt) {
    const HeldPort held;
    const Outcome run = Bootp({"--mac", "0A.1B.2C.3D.4E.5F", "--ip", "10.1.2.1", "--port", held.Port()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "korvo: UDP port " + held.Port() +
                  " cannot be bound: Address already in use (another BOOTP or DHCP server runs on this "
                  "computer; stop it first). BOOTP requests are not received; everything else works. Ports "
                  "below 1024 need root or the right to bind them, given once with: setcap "
                  "cap_net_bind_service=+ep /opt/korvo/korvo\n");
    EXPECT_TRUE(run.out.empty());
}

TEST(BootpCommand, HelpPrintsTheUsage) {
    const Outcome run = Bootp({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("usage: korvo bootp --mac MAC --ip IP"), std::string::npos);
}

}  // namespace
}  // namespace korvo
