// Finding the couplers of a network: address ranges, the port probe, and the found
// couplers matched with the stations of a project.

#include "plant_fixture.h"

#include "online/coupler_discovery.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace korvo::testing {
namespace {

std::uint32_t Ip(const std::string& text) { return ParseIPv4(text).value(); }

TEST(AddressRange, PrefixesLeaveOutNetworkAndBroadcast) {
    const AddressRange r24 = ParseAddressRange("10.1.2.77/24");
    ASSERT_TRUE(r24.error.empty()) << r24.error;
    ASSERT_EQ(r24.addresses.size(), 254u);
    EXPECT_EQ(AddressText(r24.addresses.front()), "10.1.2.1");
    EXPECT_EQ(AddressText(r24.addresses.back()), "10.1.2.254");
    EXPECT_EQ(ParseAddressRange("10.1.0.0/22").addresses.size(), 1022u);
    EXPECT_EQ(ParseAddressRange("10.1.2.3/31").addresses.size(), 2u);
    const AddressRange one = ParseAddressRange("10.1.2.3/32");
    ASSERT_EQ(one.addresses.size(), 1u);
    EXPECT_EQ(one.addresses[0], Ip("10.1.2.3"));
    EXPECT_EQ(AddressText(ParseAddressRange("10.1.2.3/30").addresses.back()), "10.1.2.2");
}

TEST(AddressRange, FirstToLastIsInclusiveAndBounded) {
    const AddressRange r = ParseAddressRange("127.0.0.250-127.0.1.4");
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_EQ(r.addresses.size(), 11u);
    EXPECT_EQ(AddressText(r.addresses[6]), "127.0.1.0");
    EXPECT_EQ(ParseAddressRange("10.0.0.5-10.0.0.5").addresses.size(), 1u);
    EXPECT_EQ(ParseAddressRange("10.0.0.1-10.0.4.0").addresses.size(), 1024u);
}

TEST(AddressRange, RefusesWhatIsNoRangeSayingWhy) {
    const auto why = [](const std::string& text) { return ParseAddressRange(text).error; };
    EXPECT_NE(why("10.0.0.0/21").find("more than 1024 addresses"), std::string::npos);
    EXPECT_NE(why("10.0.0.9-10.0.0.1").find("ends before it starts"), std::string::npos);
    EXPECT_NE(why("10.0.0.1-10.0.4.1").find("1025 addresses"), std::string::npos);
    EXPECT_NE(why("10.0.0.1/33").find("not a prefix length"), std::string::npos);
    EXPECT_NE(why("10.0.0.1/").find("not a prefix length"), std::string::npos);
    EXPECT_NE(why("10.0.0.1/+24").find("not a prefix length"), std::string::npos);
    EXPECT_NE(why("10.0.0/24").find("\"10.0.0\" is not a dotted IPv4 address"), std::string::npos);
    EXPECT_NE(why("10.0.0.256-10.0.1.1").find("is not a dotted"), std::string::npos);
    EXPECT_NE(why("10.0.0.1").find("give A.B.C.D/N"), std::string::npos);
    EXPECT_NE(why("").find("give A.B.C.D/N"), std::string::npos);
    EXPECT_TRUE(ParseAddressRange("10.0.0.0/21").addresses.empty());
}

class DiscoveryTest : public PlantTest {};

TEST_F(DiscoveryTest, TheProbeFindsExactlyTheListeningAddresses) {
    Serve(3, {"KORVO DI 16"});
    Serve(7, {"KORVO DI 16"});
    // More addresses than probes may be open at once, so the window slides.
    std::vector<std::uint32_t> addresses;
    for (int k = 1; k <= 200; ++k) addresses.push_back(Ip(Host(k)));
    const std::vector<bool> open = ProbePort(addresses, 1962, std::chrono::milliseconds(500), 8);
    for (int k = 1; k <= 200; ++k) EXPECT_EQ(open[static_cast<std::size_t>(k - 1)], k == 3 || k == 7) << Host(k);
}

TEST_F(DiscoveryTest, AnAddressThatTakesTheConnectionLateIsSilentWithinTheTimeout) {
    // A listener whose queue is full leaves further connections unanswered, as a
    // host that drops them does.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(Ip(Host(20)));
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t length = sizeof at;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &length);
    const std::uint16_t port = ntohs(at.sin_port);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
        fillers.push_back(fd);
    }
    const auto started = std::chrono::steady_clock::now();
    const std::vector<bool> open = ProbePort({Ip(Host(20))}, port, std::chrono::milliseconds(300));
    const auto took = std::chrono::steady_clock::now() - started;
    for (int fd : fillers) ::close(fd);
    ::close(listener);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_FALSE(open[0]);
    EXPECT_GE(took, std::chrono::milliseconds(290));
    EXPECT_LT(took, std::chrono::milliseconds(2000));
}

TEST_F(DiscoveryTest, FoundCouplersAreMatchedWithTheProjectAndMissingStationsListed) {
    sim::StationOptions swapped;
    swapped.swappedModule = 2;
    Serve(2, {"KORVO DI 16", "KORVO DO 16"});
    Serve(4, {"KORVO DI 16", "KORVO DO 16"}, swapped);
    Serve(6, {"KORVO AI 2"});
    auto project = LoadModel(Project({{Host(2), {"KORVO DI 16", "KORVO DO 16"}},
                                      {Host(4), {"KORVO DI 16", "KORVO DO 16"}},
                                      {Host(5), {"KORVO AO 1"}},
                                      {"10.9.9.9", {"KORVO AO 1"}}}));
    const Discovery found = DiscoverCouplers(ParseAddressRange(Host(1) + "-" + Host(10)), catalogue_, project.get(),
                                             std::chrono::milliseconds(500), 4);
    ASSERT_EQ(found.couplers.size(), 3u);
    const FoundCoupler& matching = found.couplers[0];
    EXPECT_EQ(matching.scan.address, Host(2));
    EXPECT_EQ(matching.station, 1);
    EXPECT_EQ(matching.stationName, "Hall 1");
    EXPECT_TRUE(matching.match);
    EXPECT_EQ(matching.scan.TypeSummary(), "KORVO DI 16, KORVO DO 16");
    EXPECT_TRUE(matching.scan.state.Running());

    const FoundCoupler& differing = found.couplers[1];
    EXPECT_EQ(differing.station, 2);
    EXPECT_FALSE(differing.match);
    EXPECT_EQ(differing.firstDifference, "slot 2: expected KORVO DO 16, found unknown module, ID 2Fh length F1h");

    EXPECT_EQ(found.couplers[2].station, 0);
    EXPECT_EQ(found.couplers[2].scan.modules.size(), 1u);

    ASSERT_EQ(found.missing.size(), 2u);
    EXPECT_EQ(found.missing[0].station, 3);
    EXPECT_TRUE(found.missing[0].inRange);
    EXPECT_EQ(found.missing[1].address, "10.9.9.9");
    EXPECT_FALSE(found.missing[1].inRange);
}

TEST_F(DiscoveryTest, RepeatedTypesAreCountedInTheSummary) {
    StationScan scan;
    scan.modules = {{1, 0x10, 0x10, {"KORVO DI 16"}}, {2, 0x10, 0x10, {"KORVO DI 16"}}, {3, 0x99, 0x01, {}},
                    {4, 0x10, 0x10, {"KORVO DI 16"}}};
    EXPECT_EQ(scan.TypeSummary(), "3 \xD7 KORVO DI 16, unknown module, ID 99h length 01h");
}

}  // namespace
}  // namespace korvo::testing

namespace korvo::testing {
namespace {

TEST(SuggestedRange, SpansTheProjectsAddressesOrTakesTheFirstOnesNetwork) {
    const auto stations = [](std::vector<std::string> addresses) {
        std::vector<ProjectStation> list;
        for (std::size_t i = 0; i < addresses.size(); ++i) {
            list.push_back({static_cast<int>(i + 1), 0, "", addresses[i]});
        }
        return list;
    };
    EXPECT_EQ(SuggestedRange(stations({"192.168.0.20", "192.168.0.7", "0.0.0.0", "192.168.1.3"})),
              "192.168.0.7-192.168.1.3");
    EXPECT_EQ(SuggestedRange(stations({"10.1.2.3", "10.9.0.1"})), "10.1.2.0/24");
    EXPECT_EQ(SuggestedRange(stations({"0.0.0.0", "no address"})), "");
    EXPECT_TRUE(ParseAddressRange(SuggestedRange(stations({"10.0.0.1", "10.0.4.0"}))).error.empty());
}

}  // namespace
}  // namespace korvo::testing
