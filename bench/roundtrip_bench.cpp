// Round trips of one process, measured side by side in interleaved rounds: a
// raw TCP ping-pong of the very message sizes quorrin exchanges (what the
// wire costs), quorrin against the in-process simulated coupler, the simulator
// answering read requests sent as raw bytes (its own share), and libmodbus
// reading and writing one register from its own server. The ratios show what
// the library and the simulator add to the wire.
#include "loopback_peers.h"

#include "korvo_sim/controller.h"
#include "quorrin.h"

#ifdef KORVO_HAVE_LIBMODBUS
#include <modbus.h>
#endif

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using korvo::bench::Exchange;

// Request and confirmation sizes of the calls measured.
constexpr Exchange kRead2{18, 22};
constexpr Exchange kWrite512{18 + 512, 16};
constexpr std::size_t kMessage = 32;
constexpr Exchange kSendMessage{12 + 6 + kMessage, 18};
constexpr Exchange kReceiveMessage{14, 24 + kMessage};

struct Case {
    std::string name;
    int exchanges;  // per operation, to report the time of one exchange
    std::function<bool()> operation;
};

#ifdef KORVO_HAVE_LIBMODBUS
// libmodbus with its own server thread on a free loopback port.
class ModbusPair {
public:
    ModbusPair() {
        server_ = modbus_new_tcp("127.0.0.1", 0);
        mapping_ = modbus_mapping_new(0, 0, 16, 0);
        listener_ = modbus_tcp_listen(server_, 1);
        sockaddr_in local{};
        socklen_t size = sizeof local;
        if (listener_ < 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &size) != 0) return;
        thread_ = std::thread([this] {
            if (modbus_tcp_accept(server_, &listener_) < 0) return;
            uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
            for (;;) {
                const int length = modbus_receive(server_, query);
                if (length < 0 || modbus_reply(server_, query, length, mapping_) < 0) break;
            }
        });
        client_ = modbus_new_tcp("127.0.0.1", ntohs(local.sin_port));
        connected_ = modbus_connect(client_) == 0;
    }
    ~ModbusPair() {
        if (client_ != nullptr) {
            modbus_close(client_);
            modbus_free(client_);
        }
        if (listener_ >= 0) ::shutdown(listener_, SHUT_RDWR);
        if (thread_.joinable()) thread_.join();
        modbus_close(server_);
        modbus_free(server_);
        modbus_mapping_free(mapping_);
    }
    bool connected() const { return connected_; }
    bool Read() {
        uint16_t value = 0;
        return modbus_read_registers(client_, 3, 1, &value) == 1;
    }
    bool Write() { return modbus_write_register(client_, 3, 0x1234) == 1; }

private:
    modbus_t* server_ = nullptr;
    modbus_t* client_ = nullptr;
    modbus_mapping_t* mapping_ = nullptr;
    int listener_ = -1;
    bool connected_ = false;
    std::thread thread_;
};
#endif

// The simulator answering read requests sent as raw bytes, without the library:
// its share of a round trip.
class RawReader {
public:
    explicit RawReader(const std::string& address) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        sockaddr_in remote{};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(QUORRIN_PORT);
        inet_pton(AF_INET, address.c_str(), &remote.sin_addr);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) return;
        const char name[] = "KNETH01N1_D";
        std::vector<uint8_t> open(14 + sizeof name, 0);
        open[0] = 0x01;
        open[1] = 0x01;
        open[3] = static_cast<uint8_t>(open.size());
        open[11] = 3;
        open[13] = sizeof name;
        std::memcpy(open.data() + 14, name, sizeof name);
        uint8_t confirmation[20];
        if (!Exchange(open.data(), open.size(), confirmation, sizeof confirmation)) return;
        read_ = {0x01, 0x04, 0, 18, 0, 0, 0, 0, 0, 0, confirmation[16], confirmation[17], 0, 0, 0, 2, 0, 2};
        ready_ = true;
    }
    ~RawReader() { ::close(fd_); }
    bool ready() const { return ready_; }
    bool Read() {
        uint8_t confirmation[22];
        return Exchange(read_.data(), read_.size(), confirmation, sizeof confirmation);
    }

private:
    bool Exchange(const uint8_t* request, std::size_t size, uint8_t* reply, std::size_t replySize) {
        if (::send(fd_, request, size, MSG_NOSIGNAL) != static_cast<ssize_t>(size)) return false;
        while (replySize > 0) {
            const ssize_t got = ::recv(fd_, reply, replySize, 0);
            if (got <= 0) return false;
            reply += got;
            replySize -= static_cast<std::size_t>(got);
        }
        return true;
    }
    int fd_ = -1;
    bool ready_ = false;
    std::vector<uint8_t> read_;
};

int Option(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = Option(argc, argv, "--rounds", 31);
    const int operations = Option(argc, argv, "--operations", 400);
    std::string address;
    auto simulator = korvo::bench::StartSimulator(address);
    // A station answers every mailbox message with one of the same size.
    simulator->controller().setMailboxHandler([](uint16_t, const korvo::sim::MailboxMessage& sent) {
        return std::vector<korvo::sim::MailboxMessage>{sent};
    });

    uint32_t data = 0;
    uint32_t mailbox = 0;
    const std::string prefix = "KNETHIP[" + address + "|1,1]";
    if (DDI_DevOpenNode((prefix + "N1_D").c_str(), 3, &data) != DDI_OK ||
        DDI_DevOpenNode((prefix + "N1_M").c_str(), 3, &mailbox) != DDI_OK) {
        std::fprintf(stderr, "roundtrip bench: cannot open the nodes of the simulator on %s\n", address.c_str());
        return 2;
    }
    uint8_t read[2];
    DDI_PD_RECORD readRecord{2, 0, 2, read};
    std::vector<uint8_t> written(512, 0x3C);
    DDI_PD_RECORD writeRecord{512, 0, 2, written.data()};
    std::vector<uint8_t> outgoing(kMessage, 0x21);
    std::vector<uint8_t> incoming(kMessage);

    korvo::bench::PingPongPeer rawRead({kRead2});
    RawReader rawRequests(address);
    if (!rawRequests.ready()) {
        std::fprintf(stderr, "roundtrip bench: the simulator does not answer raw requests on %s\n", address.c_str());
        return 2;
    }
    korvo::bench::PingPongPeer rawWrite({kWrite512});
    korvo::bench::PingPongPeer rawMailbox({kSendMessage, kReceiveMessage});

    std::vector<Case> cases = {
        {"raw read 2 bytes", 1, [&] { return rawRead.RunScript(); }},
        {"quorrin read 2 bytes", 1, [&] { return DDI_DTI_ReadData(data, &readRecord) == DDI_OK; }},
        {"simulator read 2 bytes", 1, [&] { return rawRequests.Read(); }},
        {"raw write 512 bytes", 1, [&] { return rawWrite.RunScript(); }},
        {"quorrin write 512 bytes", 1, [&] { return DDI_DTI_WriteData(data, &writeRecord) == DDI_OK; }},
        {"raw mailbox exchange", 2, [&] { return rawMailbox.RunScript(); }},
        {"quorrin mailbox exchange", 2,
         [&] {
             DDI_MSG_RECORD sent{1, static_cast<uint16_t>(kMessage), 2, outgoing.data()};
             DDI_MSG_RECORD received{0, static_cast<uint16_t>(kMessage), 0, incoming.data()};
             return DDI_MXI_SndMessage(mailbox, &sent) == DDI_OK && DDI_MXI_RcvMessage(mailbox, &received) == DDI_OK;
         }},
    };
#ifdef KORVO_HAVE_LIBMODBUS
    ModbusPair modbus;
    if (modbus.connected()) {
        cases.push_back({"libmodbus read 1 register", 1, [&] { return modbus.Read(); }});
        cases.push_back({"libmodbus write 1 register", 1, [&] { return modbus.Write(); }});
    } else {
        std::printf("libmodbus: skipped, its server did not start\n");
    }
#else
    std::printf("libmodbus: skipped, libmodbus-dev was not installed when this was built\n");
#endif

    // Rounds interleave the cases, so a busy moment of the machine hits them all alike.
    std::map<std::string, std::vector<double>> perExchange;
    for (int round = 0; round < rounds; ++round) {
        for (const Case& measured : cases) {
            bool ok = true;
            const double total = korvo::bench::MicrosecondsOf([&] {
                for (int i = 0; i < operations && ok; ++i) ok = measured.operation();
            });
            if (!ok) {
                std::fprintf(stderr, "roundtrip bench: %s failed\n", measured.name.c_str());
                return 2;
            }
            perExchange[measured.name].push_back(total / operations / measured.exchanges);
        }
    }
    std::map<std::string, double> median;
    std::printf("%d rounds of %d operations each, medians of the per-exchange means\n", rounds, operations);
    for (const Case& measured : cases) {
        median[measured.name] = korvo::bench::Median(perExchange[measured.name]);
        std::printf("  %-28s %8.2f us\n", measured.name.c_str(), median[measured.name]);
    }
    const auto ratio = [&](const char* label, const std::string& of, const std::string& to) {
        if (median.count(of) != 0 && median.count(to) != 0)
            std::printf("  %-44s %5.2f x\n", label, median[of] / median[to]);
    };
    ratio("quorrin / raw, read 2 bytes", "quorrin read 2 bytes", "raw read 2 bytes");
    ratio("simulator answering raw requests / raw, read", "simulator read 2 bytes", "raw read 2 bytes");
    ratio("quorrin / raw, write 512 bytes", "quorrin write 512 bytes", "raw write 512 bytes");
    ratio("quorrin / raw, mailbox exchange", "quorrin mailbox exchange", "raw mailbox exchange");
    ratio("quorrin read 2 bytes / libmodbus read", "quorrin read 2 bytes", "libmodbus read 1 register");
    ratio("quorrin write 512 bytes / libmodbus write", "quorrin write 512 bytes", "libmodbus write 1 register");
    ratio("quorrin mailbox exchange / libmodbus read", "quorrin mailbox exchange", "libmodbus read 1 register");

    DDI_DevCloseNode(mailbox);
    DDI_DevCloseNode(data);
    simulator->stop();
    return 0;
}
