// Node names, registry devices, client options, the node table and the
// network-error query.
#include "simulator_fixture.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using korvo::sim::kErrAccessMode;
using korvo::sim::kErrUnknownNode;

class FrameTest : public SimulatorTest {};

class RegistryTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        path_ = std::filesystem::temp_directory_path() / ("quorrin-registry-" + std::to_string(::getpid()) + ".ini");
        setenv("QUORRIN_REGISTRY", path_.c_str(), 1);
    }

    void TearDown() override
    {
        unsetenv("QUORRIN_REGISTRY");
        std::filesystem::remove(path_);
        FrameTest::TearDown();
    }

    void writeRegistry(const std::string& text)
    {
        std::ofstream(path_) << text;
    }

    std::filesystem::path path_;
};

// Device 1 of the registry, at the test's simulator.
std::string device1(const std::string& address)
{
    return "[SOFTWARE\\Sorvent\\QUORRIN\\Parameters\\1]\n"
           "InUse=yes\n"
           "DeviceNames=KNETH01N1_M KNETH01N1_D\n"
           "IPAddress=" + address + "\n"
           "ConnectTimeout=2\n"
           "ReceiveTimeout=4\n";
}

TEST_F(FrameTest, DirectNameWithoutNumbersSetsBothTimeoutsToEight)
{
    uint32_t handle = 0;
    ASSERT_EQ(DDI_DevOpenNode(("KNETHIP[" + address_ + "]N1_D").c_str(), 3, &handle), DDI_OK);
    EXPECT_EQ(timeout(ETH_OPTION_CONNECT_TIMEOUT), 8);
    EXPECT_EQ(timeout(ETH_OPTION_RECEIVE_TIMEOUT), 8);
    EXPECT_EQ(simulator_.controller().openNodes("KNETH01N1_D").size(), 1u);
    EXPECT_EQ(handle, 64u);
}

TEST_F(FrameTest, DirectNameWithZeroOrMissingNumberFailsAndKeepsTimeouts)
{
    uint32_t handle = 0;
    for (const char* name : {"KNETHIP[127.0.0.21|0,30]N1_D", "KNETHIP[127.0.0.21|30]N1_D",
                             "KNETHIP[127.0.0.21|30,0]N1_D", "KNETHIP[127.0.0.21|30,30N1_D"}) {
        EXPECT_EQ(DDI_DevOpenNode(name, 3, &handle), ERR_NODE_NAME) << name;
    }
    EXPECT_EQ(timeout(ETH_OPTION_CONNECT_TIMEOUT), 1);
    EXPECT_EQ(timeout(ETH_OPTION_RECEIVE_TIMEOUT), 1);
    EXPECT_EQ(requestCount(), 0u);
}

TEST_F(FrameTest, MalformedNamesFailBeforeAnyConnection)
{
    std::string tooLong = "KNETHIP[127.0.0.21|1,1]" + std::string(240, 'N');
    std::string longCanonical = "KNETHIP[127.0.0.21|1,1]" + std::string(23, 'N');
    uint32_t handle = 0;
    for (const std::string& name : {std::string("KNETHIP127.0.0.21]N1_D"), std::string("KNETHIP[127.0.0.21N1_D"),
                                    std::string("KNETHX1"), std::string("KNBX"), std::string("KN"), std::string("XYZ"),
                                    tooLong, longCanonical}) {
        EXPECT_EQ(DDI_DevOpenNode(name.c_str(), 3, &handle), ERR_NODE_NAME) << name;
    }
    EXPECT_EQ(simulator_.connectionCount(), 0u);
    EXPECT_EQ(DDI_DevOpenNode(nullptr, 3, &handle), ERR_INVALID_ARGUMENT);
}

TEST_F(FrameTest, ControllerRefusesOtherNodesAndAccessModes)
{
    uint32_t handle = 0;
    EXPECT_EQ(open("N1_X", handle), ERR_DEVICE_BASE + kErrUnknownNode);
    EXPECT_EQ(DDI_DevOpenNode(nodeName("N1_D").c_str(), 1, &handle), ERR_DEVICE_BASE + kErrAccessMode);
    EXPECT_EQ(ETH_GetNetworkError(64), -1);
    EXPECT_EQ(open("N1_M", handle), DDI_OK);
    EXPECT_EQ(handle, 64u);
}

TEST_F(FrameTest, TableFullOnThe257thOpenAndFailedOpensUseNoEntry)
{
    std::vector<uint32_t> handles;
    uint32_t handle = 0;
    EXPECT_EQ(open("N1_X", handle), ERR_DEVICE_BASE + kErrUnknownNode);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(open("N1_D", handle), DDI_OK) << "open " << i;
        handles.push_back(handle);
    }
    EXPECT_EQ(handles.front(), 64u);
    EXPECT_EQ(handles.back(), 319u);
    EXPECT_EQ(open("N1_D", handle), ERR_TABLE_FULL);

    ASSERT_EQ(DDI_DevCloseNode(100), DDI_OK);
    EXPECT_EQ(open("N1_D", handle), DDI_OK);
    EXPECT_EQ(handle, 100u);
}

TEST_F(FrameTest, RefusedConnectionReportsSocketError)
{
    uint32_t handle = 0;
    EXPECT_EQ(DDI_DevOpenNode("KNETHIP[127.0.0.22|1,1]N1_D", 3, &handle), ERR_NETWORK);
    EXPECT_EQ(ETH_GetNetworkError(ETH_NETWORK_ERROR_LAST), 10061);
    EXPECT_EQ(ETH_GetNetworkError(64), -1);
}

TEST_F(FrameTest, NetworkErrorQueryByHandle)
{
    uint32_t handle = openData();
    EXPECT_EQ(ETH_GetNetworkError(static_cast<int32_t>(handle)), 0);
    EXPECT_EQ(ETH_GetNetworkError(65), -1);
    EXPECT_EQ(ETH_GetNetworkError(63), -1);
    EXPECT_EQ(ETH_GetNetworkError(320), -1);
    ASSERT_EQ(DDI_DevCloseNode(handle), DDI_OK);
    EXPECT_EQ(ETH_GetNetworkError(static_cast<int32_t>(handle)), -1);
}

TEST_F(FrameTest, TimeoutOptionsRoundTripAndCheckSizes)
{
    setTimeouts(5, 7);
    EXPECT_EQ(timeout(ETH_OPTION_CONNECT_TIMEOUT), 5);
    EXPECT_EQ(timeout(ETH_OPTION_RECEIVE_TIMEOUT), 7);

    int32_t seconds = 9;
    int32_t size = 2;
    EXPECT_EQ(ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &seconds, 2), ERR_OPTION_SIZE);
    EXPECT_EQ(ETH_GetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &seconds, &size), ERR_OPTION_SIZE);
    EXPECT_EQ(ETH_SetClientOptions(5, &seconds, 4), ERR_BAD_OPTION);
    EXPECT_EQ(ETH_GetClientOptions(0, &seconds, &size), ERR_BAD_OPTION);
    EXPECT_EQ(timeout(ETH_OPTION_RECEIVE_TIMEOUT), 7);
}

TEST_F(FrameTest, ClientNameOptionNeedsRoomForTerminatingZero)
{
    char longName[129];
    std::memset(longName, 'a', sizeof longName);
    EXPECT_EQ(ETH_SetClientOptions(ETH_OPTION_CLIENT_NAME, longName, 129), ERR_OPTION_SIZE);

    ASSERT_EQ(ETH_SetClientOptions(ETH_OPTION_CLIENT_NAME, "station-7", 10), DDI_OK);
    char name[32] = "untouched";
    int32_t size = 9;
    EXPECT_EQ(ETH_GetClientOptions(ETH_OPTION_CLIENT_NAME, name, &size), ERR_OPTION_SIZE);
    EXPECT_STREQ(name, "untouched");
    size = 10;
    EXPECT_EQ(ETH_GetClientOptions(ETH_OPTION_CLIENT_NAME, name, &size), DDI_OK);
    EXPECT_EQ(size, 9);
    EXPECT_STREQ(name, "station-7");

    // A 128-byte buffer without a zero keeps 127 characters.
    ASSERT_EQ(ETH_SetClientOptions(ETH_OPTION_CLIENT_NAME, longName, 128), DDI_OK);
    char copy[128];
    size = 128;
    EXPECT_EQ(ETH_GetClientOptions(ETH_OPTION_CLIENT_NAME, copy, &size), DDI_OK);
    EXPECT_EQ(size, 127);
    EXPECT_EQ(ETH_SetClientOptions(ETH_OPTION_CLIENT_NAME, "quorrina", 9), DDI_OK);
}

TEST_F(RegistryTest, RegistryDeviceGivesAddressAndTimeouts)
{
    writeRegistry("; test device\n" + device1(address_));
    uint32_t handle = 0;
    ASSERT_EQ(DDI_DevOpenNode("KNETH01N1_D", 3, &handle), DDI_OK);
    EXPECT_EQ(timeout(ETH_OPTION_CONNECT_TIMEOUT), 2);
    EXPECT_EQ(timeout(ETH_OPTION_RECEIVE_TIMEOUT), 4);
    EXPECT_EQ(simulator_.controller().openNodes("KNETH01N1_D").size(), 1u);
}

TEST_F(RegistryTest, NameNotAmongDeviceNamesIsRefused)
{
    writeRegistry(device1(address_));
    uint32_t handle = 0;
    EXPECT_EQ(DDI_DevOpenNode("KNETH01N1_X", 3, &handle), ERR_NODE_NAME);
    EXPECT_EQ(DDI_DevOpenNode("KNETH01N1", 3, &handle), ERR_NODE_NAME);
    EXPECT_EQ(simulator_.connectionCount(), 0u);
}

TEST_F(RegistryTest, SubkeyIsOneDigitAfterZeroElseTwo)
{
    writeRegistry("[SOFTWARE\\Sorvent\\QUORRIN\\Parameters\\10]\nInUse=NO\n"
                  "[SOFTWARE\\Sorvent\\QUORRIN\\Parameters\\3]\nInUse=YES\n");
    uint32_t handle = 0;
    EXPECT_EQ(DDI_DevOpenNode("KNETH10N1_D", 3, &handle), ERR_DEVICE_NOT_IN_USE);
    EXPECT_EQ(DDI_DevOpenNode("KNB3X", 3, &handle), ERR_REGISTRY_VALUE);
    EXPECT_EQ(DDI_DevOpenNode("KNETH01N1_D", 3, &handle), ERR_REGISTRY_KEY);
    EXPECT_EQ(DDI_DevOpenNode("KNETH03N1_D", 3, &handle), ERR_REGISTRY_VALUE);
}

TEST_F(RegistryTest, MissingFileMeansKeyCannotBeOpened)
{
    uint32_t handle = 0;
    EXPECT_EQ(DDI_DevOpenNode("KNETH01N1_D", 3, &handle), ERR_REGISTRY_KEY);
}

TEST_F(RegistryTest, TooLongValueCountsAsMissing)
{
    writeRegistry("[SOFTWARE\\Sorvent\\QUORRIN\\Parameters\\1]\nInUse=YES\nDeviceNames=KNETH01N1_D\nIPAddress="
                  + std::string(256, '1') + "\n");
    uint32_t handle = 0;
    EXPECT_EQ(DDI_DevOpenNode("KNETH01N1_D", 3, &handle), ERR_REGISTRY_VALUE);
}

TEST_F(RegistryTest, HostTextOver111CharactersIsUnresolvedAndFreesEntry)
{
    writeRegistry("[SOFTWARE\\Sorvent\\QUORRIN\\Parameters\\1]\nInUse=YES\nDeviceNames=KNETH01N1_D\nIPAddress="
                  + std::string(112, 'h') + "\n");
    uint32_t handle = 0;
    EXPECT_EQ(DDI_DevOpenNode("KNETH01N1_D", 3, &handle), ERR_HOST_UNRESOLVED);
    EXPECT_EQ(open("N1_D", handle), DDI_OK);
    EXPECT_EQ(handle, 64u);
}

TEST_F(RegistryTest, MissingTimeoutsLeaveLibraryTimeouts)
{
    writeRegistry("[software\\sorvent\\quorrin\\parameters\\1]\ninuse=Yes\nDeviceNames=KNETH01N1_D\n"
                  "IPAddress=" + address_ + "\nReceiveTimeout=not-a-number\n");
    uint32_t handle = 0;
    ASSERT_EQ(DDI_DevOpenNode("KNETH01N1_D", 3, &handle), DDI_OK);
    EXPECT_EQ(timeout(ETH_OPTION_CONNECT_TIMEOUT), 1);
    EXPECT_EQ(timeout(ETH_OPTION_RECEIVE_TIMEOUT), 1);
}

} // namespace
