// The simulated controller's control and management services seen from a
// raw TCP client: layouts, refusals, unasked indications and faults.
#include "korvo_sim/simulator.h"
#include "raw_client.h"
#include "random_loopback.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace {

using namespace korvo::sim;

const std::string kAddressText = RandomLoopbackAddress();
const char* const kAddress = kAddressText.c_str();
constexpr uint16_t kControl = 0x0109;


Bytes control(uint16_t node, uint16_t command, const Bytes& payload = {})
{
    Bytes bytes(16, 0);
    writeBe16(bytes, 0, kControl);
    writeBe16(bytes, 10, node);
    writeBe16(bytes, 12, command);
    writeBe16(bytes, 14, static_cast<uint16_t>(payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    writeBe16(bytes, 2, static_cast<uint16_t>(bytes.size()));
    return bytes;
}

Bytes management(uint16_t subCode, uint16_t connection, const Bytes& parameters = {}, uint16_t sequence = 0)
{
    Bytes bytes(16, 0);
    writeBe16(bytes, 0, kManagementRequest);
    writeBe16(bytes, 4, sequence);
    writeBe16(bytes, 10, subCode);
    writeBe16(bytes, 12, connection);
    writeBe16(bytes, 14, static_cast<uint16_t>(parameters.size()));
    bytes.insert(bytes.end(), parameters.begin(), parameters.end());
    writeBe16(bytes, 2, static_cast<uint16_t>(bytes.size()));
    return bytes;
}

class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override { simulator_.start(); }
    void TearDown() override { simulator_.stop(); }

    uint16_t openNode(RawClient& client)
    {
        std::string name = kDataNode;
        Bytes request(14, 0);
        writeBe16(request, 0, 0x0101);
        writeBe16(request, 10, kAccessMode);
        writeBe16(request, 12, static_cast<uint16_t>(name.size() + 1));
        request.insert(request.end(), name.begin(), name.end());
        request.push_back(0);
        writeBe16(request, 2, static_cast<uint16_t>(request.size()));
        Bytes confirmation = client.exchange(request);
        EXPECT_EQ(readBe16(confirmation, 10), 0);
        return readBe16(confirmation, 16);
    }

    Simulator simulator_{SimulatorOptions{kAddress, 0}};
};

TEST_F(ServicesTest, ControlConfirmationEchoesCommandAndRefusesUnknownOnes)
{
    RawClient client(simulator_.port(), kAddress);
    uint16_t node = openNode(client);
    simulator_.control().setWatchdogStatus(0x00A2);
    Bytes reply = client.exchange(control(node, 0x0809));
    EXPECT_EQ(readBe16(reply, 0), 0x8109);
    EXPECT_EQ(readBe16(reply, 10), 0);
    EXPECT_EQ(readBe16(reply, 18), 0x0809);
    EXPECT_EQ(readBe16(reply, 22), 0x00A2);

    reply = client.exchange(control(node, 0x0811));
    EXPECT_EQ(readBe16(reply, 10), 1);
    EXPECT_EQ(readBe16(reply, 14), kErrUnknownCommand);
    EXPECT_EQ(readBe16(reply, 18), 0x0811);
}

TEST_F(ServicesTest, ControlOnNodeOfAnotherConnectionIsRefused)
{
    RawClient owner(simulator_.port(), kAddress);
    RawClient other(simulator_.port(), kAddress);
    uint16_t node = openNode(owner);
    Bytes reply = other.exchange(control(node, 0x0809));
    EXPECT_EQ(readBe16(reply, 14), kErrNodeNotOpen);
}

TEST_F(ServicesTest, MemoryOutsideTheAreaIsRefused)
{
    RawClient client(simulator_.port(), kAddress);
    uint16_t node = openNode(client);
    Bytes payload(8, 0);
    writeBe32(payload, 0, kMemorySize - 2);
    writeBe32(payload, 4, 4);
    EXPECT_EQ(readBe16(client.exchange(control(node, 0x0801, payload)), 14), kErrAddressRange);
    writeBe32(payload, 0, 0);
    writeBe32(payload, 4, 4);
    payload.insert(payload.end(), {1, 2});
    EXPECT_EQ(readBe16(client.exchange(control(node, 0x0802, payload)), 14), kErrAddressRange);
    EXPECT_EQ(simulator_.control().memory(0, 2), (Bytes{0, 0}));
}

TEST_F(ServicesTest, CallbackMonitoringSendsIndicationWhenWatchedInputsAreSet)
{
    RawClient client(simulator_.port(), kAddress);
    uint16_t node = openNode(client);
    Bytes payload(10, 0);
    writeBe16(payload, 0, 1);
    writeBe16(payload, 4, 8);
    writeBe16(payload, 6, 2);
    payload.insert(payload.end(), {0, 0});
    ASSERT_EQ(readBe16(client.exchange(control(node, 0x0807, payload)), 10), 0);

    simulator_.controller().setInputs(20, Bytes{1});
    EXPECT_FALSE(client.pending());
    simulator_.controller().setInputs(9, Bytes{0x5A});
    Bytes indication = client.receive();
    EXPECT_EQ(readBe16(indication, 0), 0xC101);
    EXPECT_EQ(readBe16(indication, 18), 8);
    EXPECT_EQ(readBe16(indication, 20), 2);
    EXPECT_EQ(indication.at(25), 0x5A);

    ASSERT_EQ(readBe16(client.exchange(control(node, 0x0808)), 10), 0);
    simulator_.controller().setInputs(9, Bytes{0x5B});
    EXPECT_FALSE(client.pending());
    EXPECT_FALSE(simulator_.control().sendMonitoringDatagram(node, Bytes{1}));
}

TEST_F(ServicesTest, ManagementNeedsInitiateAndRefusesInItsOwnLayout)
{
    RawClient client(simulator_.port(), kAddress);
    Bytes reply = client.exchange(management(0x0416, 5));
    EXPECT_EQ(readBe16(reply, 0), kManagementConfirmation);
    EXPECT_EQ(readBe16(reply, 10), 0x0916);
    EXPECT_EQ(readBe16(reply, 14), 1);
    EXPECT_EQ(readBe16(reply, 18), kErrNotInitiated);

    reply = client.exchange(management(0x041B, 0, {}, 7));
    EXPECT_EQ(readBe16(reply, 4), 7);
    EXPECT_EQ(readBe16(reply, 10), 0x091B);
    EXPECT_EQ(readBe16(reply, 14), 0);
    uint16_t connection = readBe16(reply, 12);
    EXPECT_NE(connection, 0);

    simulator_.inject(Fault::negative(kManagementRequest, 0x8001));
    reply = client.exchange(management(0x0424, connection));
    EXPECT_EQ(readBe16(reply, 0), kManagementConfirmation);
    EXPECT_EQ(readBe16(reply, 10), 0x0924);
    EXPECT_EQ(readBe16(reply, 18), 0x8001);

    reply = client.exchange(management(0x0415, connection));
    ASSERT_EQ(reply.size(), 22u + kIdentifySize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data() + 22)), kProductText);

    EXPECT_EQ(readBe16(client.exchange(management(0x0418, connection)), 18), kErrResetDisabled);
    EXPECT_EQ(readBe16(client.exchange(management(0x0499, connection)), 18), kErrUnknownSubCode);
    EXPECT_EQ(readBe16(client.exchange(management(0x0412, connection, Bytes{1})), 18), kErrParameterLength);
}

TEST_F(ServicesTest, PatchWordFaultRewritesOneField)
{
    RawClient client(simulator_.port(), kAddress);
    uint16_t node = openNode(client);
    simulator_.inject(Fault::patchWord(kControl, 18, 0x0810));
    EXPECT_EQ(readBe16(client.exchange(control(node, 0x0809)), 18), 0x0810);
    EXPECT_EQ(readBe16(client.exchange(control(node, 0x0809)), 18), 0x0809);
}

} // namespace
