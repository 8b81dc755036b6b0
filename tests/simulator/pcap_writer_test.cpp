// The capture file of korvo-sim --pcap read back byte by byte: file header,
// handshake, sequence and acknowledgement numbers, checksums, and the bytes of
// a real exchange with the simulator.
#include "korvo_sim/pcap_writer.h"
#include "korvo_sim/simulator.h"
#include "raw_client.h"
#include "random_loopback.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace korvo::sim;

uint32_t le32(const Bytes& bytes, std::size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

uint16_t checksum(std::span<const uint8_t> bytes, uint32_t sum = 0)
{
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        sum += static_cast<uint32_t>(bytes[i] << 8 | (i + 1 < bytes.size() ? bytes[i + 1] : 0));
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

struct Packet {
    Bytes ip;
    uint8_t protocol() const { return ip[9]; }
    uint32_t source() const { return readBe32(ip, 12); }
    uint16_t sourcePort() const { return readBe16(ip, 20); }
    uint16_t destinationPort() const { return readBe16(ip, 22); }
    uint32_t seq() const { return readBe32(ip, 24); }
    uint32_t ack() const { return readBe32(ip, 28); }
    uint8_t flags() const { return ip[33]; }
    std::span<const uint8_t> payload() const
    {
        return std::span<const uint8_t>(ip).subspan(protocol() == 6 ? 40 : 28);
    }
    // Both checksums verify: the header sums to zero, the transport part with its pseudo header too.
    bool checksumsHold() const
    {
        if (checksum(std::span<const uint8_t>(ip).first(20)) != 0)
            return false;
        Bytes pseudo(ip.begin() + 12, ip.begin() + 20);
        writeBe16(pseudo, 8, protocol());
        writeBe16(pseudo, 10, static_cast<uint16_t>(ip.size() - 20));
        pseudo.insert(pseudo.end(), ip.begin() + 20, ip.end());
        return checksum(pseudo) == 0;
    }
};

enum : uint8_t { kFin = 0x01, kSyn = 0x02, kPush = 0x08, kAck = 0x10 };

class PcapWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = std::filesystem::temp_directory_path() / ("korvo-pcap-" + std::to_string(::getpid()) + "-"
                                                          + ::testing::UnitTest::GetInstance()->current_test_info()->name()
                                                          + ".pcap");
    }
    void TearDown() override { std::filesystem::remove(path_); }

    // The packets of the file; fails the test on a malformed header or record.
    std::vector<Packet> read()
    {
        std::ifstream in(path_, std::ios::binary);
        Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<Packet> packets;
        EXPECT_GE(file.size(), 24u);
        if (file.size() < 24)
            return packets;
        EXPECT_EQ(le32(file, 0), 0xA1B2C3D4u);
        EXPECT_EQ(file[4] | file[5] << 8, 2);
        EXPECT_EQ(file[6] | file[7] << 8, 4);
        EXPECT_EQ(le32(file, 20), 101u) << "raw IPv4 link type";
        for (std::size_t offset = 24; offset < file.size();) {
            EXPECT_LE(offset + 16, file.size());
            if (offset + 16 > file.size())
                break;
            uint32_t size = le32(file, offset + 8);
            EXPECT_EQ(size, le32(file, offset + 12));
            EXPECT_LE(offset + 16 + size, file.size());
            if (offset + 16 + size > file.size())
                break;
            Packet packet{Bytes(file.begin() + static_cast<std::ptrdiff_t>(offset + 16),
                                file.begin() + static_cast<std::ptrdiff_t>(offset + 16 + size))};
            EXPECT_EQ(packet.ip[0], 0x45);
            EXPECT_EQ(readBe16(packet.ip, 2), size);
            EXPECT_TRUE(packet.checksumsHold());
            packets.push_back(std::move(packet));
            offset += 16 + size;
        }
        return packets;
    }

    std::filesystem::path path_;
};

const Endpoint kClient{0x7F000001, 40000};
const Endpoint kServer{0x7F0000A2, 1962};

TEST_F(PcapWriterTest, StreamNumbersFollowHandshakeDataAndClose)
{
    {
        PcapWriter writer(path_.string());
        uint32_t stream = writer.opened(kClient, kServer);
        writer.data(stream, Direction::ToServer, Bytes(12, 0x11));
        writer.data(stream, Direction::ToClient, Bytes(16, 0x22));
        writer.data(stream, Direction::ToServer, Bytes(5, 0x33));
        writer.closed(stream);
        writer.data(stream, Direction::ToServer, Bytes(3, 0x44));
    }
    auto packets = read();
    ASSERT_EQ(packets.size(), 9u) << "three handshake, three data, three closing, nothing after the close";

    const Packet& syn = packets[0];
    const Packet& synAck = packets[1];
    EXPECT_EQ(syn.flags(), kSyn);
    EXPECT_EQ(syn.source(), kClient.address);
    EXPECT_EQ(syn.sourcePort(), kClient.port);
    EXPECT_EQ(syn.destinationPort(), kServer.port);
    EXPECT_EQ(synAck.flags(), kSyn | kAck);
    EXPECT_EQ(synAck.ack(), syn.seq() + 1);
    EXPECT_EQ(packets[2].flags(), kAck);

    uint32_t client = syn.seq() + 1;
    uint32_t server = synAck.seq() + 1;
    EXPECT_EQ(packets[3].seq(), client);
    EXPECT_EQ(packets[3].ack(), server);
    EXPECT_EQ(packets[3].flags(), kPush | kAck);
    EXPECT_EQ(packets[3].payload().size(), 12u);
    EXPECT_EQ(packets[4].source(), kServer.address);
    EXPECT_EQ(packets[4].seq(), server);
    EXPECT_EQ(packets[4].ack(), client + 12);
    EXPECT_EQ(packets[5].seq(), client + 12);
    EXPECT_EQ(packets[5].ack(), server + 16);
    EXPECT_EQ(packets[5].payload()[0], 0x33);

    EXPECT_EQ(packets[6].flags(), kFin | kAck);
    EXPECT_EQ(packets[6].seq(), client + 17);
    EXPECT_EQ(packets[7].flags(), kFin | kAck);
    EXPECT_EQ(packets[7].seq(), server + 16);
    EXPECT_EQ(packets[7].ack(), client + 18);
    EXPECT_EQ(packets[8].ack(), server + 17);
}

TEST_F(PcapWriterTest, OversizedSendIsCutIntoPacketsThatFitIpv4)
{
    Bytes big(70000);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i);
    {
        PcapWriter writer(path_.string());
        writer.data(writer.opened(kClient, kServer), Direction::ToClient, big);
    }
    auto packets = read();
    ASSERT_EQ(packets.size(), 5u);
    EXPECT_EQ(packets[3].payload().size() + packets[4].payload().size(), big.size());
    EXPECT_EQ(packets[4].seq(), packets[3].seq() + packets[3].payload().size());
    EXPECT_EQ(packets[4].payload()[0], big[packets[3].payload().size()]);
}

TEST_F(PcapWriterTest, DatagramCarriesPortsAndBytes)
{
    {
        PcapWriter writer(path_.string());
        writer.datagram(kServer, {0x7F000001, 1024}, Bytes{1, 2, 3});
    }
    auto packets = read();
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0].protocol(), 17);
    EXPECT_EQ(packets[0].destinationPort(), 1024);
    EXPECT_EQ(readBe16(packets[0].ip, 24), 11) << "UDP length";
    EXPECT_EQ(Bytes(packets[0].payload().begin(), packets[0].payload().end()), (Bytes{1, 2, 3}));
}

TEST_F(PcapWriterTest, UnwritablePathThrows)
{
    EXPECT_THROW(PcapWriter("/nonexistent-folder/x.pcap"), std::system_error);
}

TEST_F(PcapWriterTest, SimulatorRecordsRequestAndConfirmationAsSent)
{
    Bytes open(12, 0);
    writeBe16(open, 0, 0x0101);
    writeBe16(open, 10, 3);
    const std::string name = "KNETH01N1_D";
    writeBe16(open, 12, static_cast<uint16_t>(name.size() + 1));
    open.insert(open.end(), name.begin(), name.end());
    open.push_back(0);
    writeBe16(open, 2, static_cast<uint16_t>(open.size()));
    Bytes confirmation;
    {
        const std::string address = RandomLoopbackAddress();
        Simulator simulator({address, 0});
        simulator.setCapture(std::make_shared<PcapWriter>(path_.string()));
        simulator.start();
        RawClient client(simulator.port(), address.c_str());
        ASSERT_TRUE(client.connected());
        confirmation = client.exchange(open);
        ASSERT_EQ(readBe16(confirmation, 0), 0x8101);
        simulator.stop();
    }
    auto packets = read();
    std::vector<const Packet*> data;
    for (const auto& packet : packets) {
        if (!packet.payload().empty())
            data.push_back(&packet);
    }
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(Bytes(data[0]->payload().begin(), data[0]->payload().end()), open);
    EXPECT_EQ(Bytes(data[1]->payload().begin(), data[1]->payload().end()), confirmation);
    EXPECT_EQ(data[1]->ack(), data[0]->seq() + open.size());
    EXPECT_EQ(packets.front().flags(), kSyn);
    EXPECT_EQ(packets.back().flags(), kAck) << "the stop closes the recorded connection";
}

} // namespace
