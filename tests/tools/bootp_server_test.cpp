// The BOOTP server's logic: the reply bytes, arming and disarming, address texts,
// the log, the field mirroring, loading, closing and the restart for a new address.
// The restart goes to a simulated coupler on the test's own loopback address.

#include "bootp_fakes.h"
#include "online_fixture.h"

#include "station/dotted_address.h"
#include "tools/udp_bootp_server.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvo::testing {
namespace {

constexpr MacBytes kMac = {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};

// An Ethernet BOOTREQUEST whose other bytes each differ from their neighbours, so a
// byte the reply should keep but overwrites shows up.
std::vector<std::uint8_t> Request(std::size_t size, const MacBytes& mac = kMac) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::uint8_t header[] = {1, 1, 6};  // op BOOTREQUEST, htype Ethernet, hlen 6
    for (std::size_t i = 0; i < std::size(header) && i < size; ++i) bytes[i] = header[i];
    for (std::size_t i = 0; i < mac.size() && 28 + i < size; ++i) bytes[28 + i] = mac[i];
    return bytes;
}

const std::string kCoupler =
    "[Module]\nAnzahl=2\nName1=KORVO NC ETH\nName2=KORVO DI 16\n"
    "[Station1]\nIPAddress=192.168.0.7\nMask=255.255.0.0\nMAC Address=0A.1B.2C.3D.4E.5F\n"
    "Gateway Address=192.168.0.254\nStation Name=PumpHouse\n";

// Two stations: the coupler of station 2 in slot 3.
const std::string kTwoCouplers =
    "[Module]\nAnzahl=4\nName1=KORVO NC ETH\nName2=KORVO DI 16\nName3=KORVO NC ETH\nName4=KORVO DI 16\n"
    "[Station1]\nIPAddress=192.168.0.7\nMAC Address=0A.1B.2C.3D.4E.5F\nStation Name=PumpHouse\n"
    "[Station2]\nIPAddress=192.168.0.8\nMAC Address=0A.1B.2C.3D.4E.60\nStation Name=Boiler\n";

class BootpServerTest : public OnlineTest {
protected:
    void SetUp() override {
        OnlineTest::SetUp();
        LoadWithServer(kCoupler);
    }

    // The server works on the station loaded, so it is made anew with it.
    void LoadWithServer(const std::string& project) {
        Load(project);
        server_ = std::make_unique<BootpServer>(*model_, *access_, *online_, pinger_, sender_, bootpUi_,
                                                folder_ / "korvo.ini");
    }

    void TearDown() override {
        std::filesystem::remove_all(folder_);
        OnlineTest::TearDown();
    }

    // Activates the window and sets the values of the first tab.
    void Configure(const std::string& ip, const std::string& mask, const std::string& gateway,
                   const std::string& mac) {
        server_->FormActivate();
        server_->FieldChanged(BootpField::MaskEdit_IP, ip);
        server_->FieldChanged(BootpField::SubnetMask, mask);
        server_->FieldChanged(BootpField::MaskGateway, gateway);
        server_->FieldChanged(BootpField::MaskEdit_MAC, mac);
    }

    void Receive(const std::vector<std::uint8_t>& datagram) { server_->UDPServer67UDPRead(datagram); }

    std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("bootp-server-test-" + std::to_string(::getpid()));
    RecordingSender sender_;
    RecordingBootpUi bootpUi_;
    std::unique_ptr<BootpServer> server_;
};

TEST_F(BootpServerTest, ExampleRequestGetsTheReplyOfTheTableOnceAndDisarms) {
    Configure("192.168.0.10", "255.255.255.0", "192.168.0.1", "0A.1B.2C.3D.4E.5F");
    server_->CheckIPClick(true);
    const std::vector<std::uint8_t> request = Request(300);
    Receive(request);

    ASSERT_EQ(sender_.sent.size(), 1u);
    const std::vector<std::uint8_t>& reply = sender_.sent[0];
    ASSERT_EQ(reply.size(), 300u);
    const std::map<std::size_t, std::uint8_t> set = {
        {0, 2},      {16, 0xC0},  {17, 0xA8},  {18, 0x00},  {19, 0x0A},  {20, 0},     {21, 0},
        {22, 0},     {23, 0},     {236, 0x63}, {237, 0x82}, {238, 0x53}, {239, 0x63}, {240, 0x01},
        {241, 0x04}, {242, 0xFF}, {243, 0xFF}, {244, 0xFF}, {245, 0x00}, {246, 0x03}, {247, 0x04},
        {248, 0xC0}, {249, 0xA8}, {250, 0x00}, {251, 0x01}, {252, 0xFF}};
    for (std::size_t i = 0; i < reply.size(); ++i) {
        const auto it = set.find(i);
        EXPECT_EQ(reply[i], it != set.end() ? it->second : request[i]) << "byte " << i;
    }
    EXPECT_FALSE(server_->CheckIP());
    EXPECT_FALSE(server_->CheckIP1());
    EXPECT_FALSE(bootpUi_.checkIP);
    ASSERT_EQ(bootpUi_.log.size(), 2u);
    EXPECT_EQ(bootpUi_.log[0], "--> Bootp Request no.: 1   MAC Adresse: 0A.1B.2C.3D.4E.5F");
    EXPECT_EQ(bootpUi_.log[1], "<-- sent IP address 192.168.0.10 to KORVO NC-ETH ");
    // The answered coupler has the address now: it becomes the present one.
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_IP1), "192.168.0.10");
    EXPECT_EQ(model_->CurrentIP, "192.168.0.10");
    EXPECT_EQ(model_->Module(1)->IPAddress, "192.168.0.10");

    Receive(request);
    EXPECT_EQ(sender_.sent.size(), 1u);
    EXPECT_EQ(bootpUi_.log.back(), "--> Bootp Request no.: 2   MAC Adresse: 0A.1B.2C.3D.4E.5F");
}

TEST_F(BootpServerTest, ShortAndLongRequestsAreAnsweredWithExactly300Bytes) {
    Configure("10.0.0.2", "255.0.0.0", "10.0.0.1", "0A.1B.2C.3D.4E.5F");
    server_->CheckIP1Click(true);
    Receive(Request(244));
    ASSERT_EQ(sender_.sent.size(), 1u);
    ASSERT_EQ(sender_.sent[0].size(), 300u);
    EXPECT_EQ(sender_.sent[0][252], 0xFF);
    for (std::size_t i = 253; i < 300; ++i) EXPECT_EQ(sender_.sent[0][i], 0) << "byte " << i;

    server_->CheckIPClick(true);
    const std::vector<std::uint8_t> longRequest = Request(400);
    Receive(longRequest);
    ASSERT_EQ(sender_.sent.size(), 2u);
    ASSERT_EQ(sender_.sent[1].size(), 300u);
    EXPECT_EQ(sender_.sent[1][299], longRequest[299]);
    EXPECT_TRUE(bootpUi_.LogHas("--- request of 400 bytes cut to its first 300"));
}

TEST_F(BootpServerTest, DatagramTooShortForAMacIsLoggedButNeverAnswered) {
    // Zeros where the MAC would be must not pass for the MAC 00.00.00.00.00.00.
    Configure("10.0.0.2", "255.0.0.0", "10.0.0.1", "00.00.00.00.00.00");
    server_->CheckIPClick(true);
    const MacBytes zeros{};
    Receive(Request(33, zeros));
    EXPECT_TRUE(sender_.sent.empty());
    EXPECT_TRUE(server_->Armed());
    ASSERT_EQ(bootpUi_.log.size(), 1u);
    EXPECT_EQ(bootpUi_.log[0],
              "--> Bootp Request no.: 1   only 33 bytes, too short to hold a MAC address: not answered");
    Receive(Request(34, zeros));
    EXPECT_EQ(sender_.sent.size(), 1u);
}

TEST_F(BootpServerTest, RepliesAndRequestsOfOtherHardwareAreLoggedAndIgnoredWithoutACount) {
    Configure("10.0.0.2", "255.0.0.0", "10.0.0.1", "0A.1B.2C.3D.4E.5F");
    server_->CheckIPClick(true);
    // Each carries the armed MAC, so only its header can keep it from being answered.
    std::vector<std::uint8_t> reply = Request(300);
    reply[0] = 2;
    std::vector<std::uint8_t> unknownOp = Request(300);
    unknownOp[0] = 0;
    std::vector<std::uint8_t> tokenRing = Request(300);
    tokenRing[1] = 6;
    std::vector<std::uint8_t> longAddress = Request(300);
    longAddress[2] = 16;
    for (const auto& datagram : {reply, unknownOp, tokenRing, longAddress}) Receive(datagram);
    Receive({});
    EXPECT_TRUE(sender_.sent.empty());
    EXPECT_TRUE(server_->Armed());
    EXPECT_EQ(server_->RequestCounter(), 0);
    EXPECT_EQ(bootpUi_.log, (std::vector<std::string>{
                                "--- ignored , not a Bootp Request: op 2 (a reply)",
                                "--- ignored , not a Bootp Request: op 0",
                                "--- ignored , not an Ethernet Bootp Request: htype 6, hlen 6",
                                "--- ignored , not an Ethernet Bootp Request: htype 1, hlen 16",
                                "--- ignored , not a Bootp Request: op 0",
                            }));

    // The request itself is answered, numbered 1; its reply looped back to the server
    // is not taken for a second request, even when armed again.
    Receive(Request(300));
    ASSERT_EQ(sender_.sent.size(), 1u);
    server_->CheckIPClick(true);
    const std::vector<std::uint8_t> echoed = sender_.sent[0];
    Receive(echoed);
    EXPECT_EQ(sender_.sent.size(), 1u);
    EXPECT_TRUE(server_->Armed());
    EXPECT_EQ(server_->RequestCounter(), 1);
    EXPECT_EQ(bootpUi_.log.back(), "--- ignored , not a Bootp Request: op 2 (a reply)");
}

TEST_F(BootpServerTest, MacMatchesWhateverCaseItsGroupsAreTypedIn) {
    Configure("10.0.0.2", "255.0.0.0", "10.0.0.1", "0a.1b.2c.3d.4e.5f");
    server_->CheckIPClick(true);
    Receive(Request(300));
    EXPECT_EQ(sender_.sent.size(), 1u);
}

TEST_F(BootpServerTest, ForeignMacIsLoggedAndIgnoredWhileTheServerStaysArmed) {
    Configure("10.0.0.2", "255.0.0.0", "10.0.0.1", "0A.1B.2C.3D.4E.5F");
    server_->CheckIPClick(true);
    Receive(Request(300, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_TRUE(sender_.sent.empty());
    EXPECT_TRUE(server_->CheckIP());
    ASSERT_EQ(bootpUi_.log.size(), 2u);
    EXPECT_EQ(bootpUi_.log[0], "--> Bootp Request no.: 1   MAC Adresse: 00.11.22.33.44.55");
    EXPECT_EQ(bootpUi_.log[1], "--- ignored , wrong MAC address ");
    Receive(Request(300));
    EXPECT_EQ(sender_.sent.size(), 1u);
}

TEST_F(BootpServerTest, UnarmedServerOnlyLogs) {
    Configure("10.0.0.2", "255.0.0.0", "10.0.0.1", "0A.1B.2C.3D.4E.5F");
    Receive(Request(300));
    Receive(Request(300));
    EXPECT_TRUE(sender_.sent.empty());
    EXPECT_EQ(bootpUi_.log,
              (std::vector<std::string>{"--> Bootp Request no.: 1   MAC Adresse: 0A.1B.2C.3D.4E.5F",
                                        "--> Bootp Request no.: 2   MAC Adresse: 0A.1B.2C.3D.4E.5F"}));
}

TEST_F(BootpServerTest, AddressThatDoesNotParseGivesNoReplyANamedReasonAndServingGoesOn) {
    Configure("10.1.256.2", "255.0.0.0", "10.0.0.1", "0A.1B.2C.3D.4E.5F");
    server_->CheckIPClick(true);
    Receive(Request(300));
    EXPECT_TRUE(sender_.sent.empty());
    EXPECT_EQ(bootpUi_.log.back(),
              "--- no reply: IP address \"10.1.256.2\" group 3 \"256\" is out of range 0..255");
    EXPECT_TRUE(server_->CheckIP());

    server_->FieldChanged(BootpField::MaskGateway, "10..0.1");
    server_->FieldChanged(BootpField::MaskEdit_IP, "10.1.2");
    Receive(Request(300));
    EXPECT_TRUE(sender_.sent.empty());
    EXPECT_EQ(bootpUi_.log.back(), "--- no reply: gateway \"10..0.1\" group 2 \"\" is empty");

    server_->FieldChanged(BootpField::MaskGateway, "10.0.0.1");
    Receive(Request(300));
    ASSERT_EQ(sender_.sent.size(), 1u);
    // Missing last groups repeat the last one present.
    EXPECT_EQ(std::vector<std::uint8_t>(sender_.sent[0].begin() + 16, sender_.sent[0].begin() + 20),
              (std::vector<std::uint8_t>{10, 1, 2, 2}));
}

TEST_F(BootpServerTest, ReplyThatCannotBeSentKeepsTheServerArmedAndTheAddress) {
    Configure("10.0.0.2", "255.0.0.0", "10.0.0.1", "0A.1B.2C.3D.4E.5F");
    server_->CheckIPClick(true);
    sender_.failure = "Network is unreachable";
    Receive(Request(300));
    EXPECT_TRUE(server_->CheckIP());
    EXPECT_EQ(bootpUi_.log.back(), "--- reply could not be sent: Network is unreachable");
    EXPECT_FALSE(bootpUi_.LogHas("<-- sent IP address"));
    EXPECT_EQ(model_->CurrentIP, "192.168.0.7");
}

TEST_F(BootpServerTest, ClearBoxEmptiesTheLogAndRestartsTheNumbering) {
    Configure("10.0.0.2", "255.0.0.0", "10.0.0.1", "0A.1B.2C.3D.4E.5F");
    Receive(Request(300));
    Receive(Request(300));
    server_->Button1Click();
    EXPECT_TRUE(bootpUi_.log.empty());
    EXPECT_EQ(server_->RequestCounter(), 0);
    Receive(Request(300));
    EXPECT_EQ(bootpUi_.log,
              (std::vector<std::string>{"--> Bootp Request no.: 1   MAC Adresse: 0A.1B.2C.3D.4E.5F"}));
}

TEST_F(BootpServerTest, RequestsBeforeTheFirstActivationAndAfterClosingLeaveNoTrace) {
    Receive(Request(300));
    EXPECT_EQ(server_->RequestCounter(), 0);
    server_->FormActivate();
    server_->CheckIPClick(true);
    server_->FormClose();
    Receive(Request(300));
    EXPECT_EQ(server_->RequestCounter(), 0);
    EXPECT_TRUE(bootpUi_.log.empty());
    EXPECT_TRUE(sender_.sent.empty());
}

TEST_F(BootpServerTest, ActivationLoadsTheCurrentModuleAndDiscardsUnsentEdits) {
    model_->CurrentModule = 0;
    server_->FormActivate();
    EXPECT_EQ(server_->EditedCoupler(), 1);
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_IP), "192.168.0.7");
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_IP1), "192.168.0.7");
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_IP_NEW), "192.168.0.7");
    EXPECT_EQ(server_->Field(BootpField::SubnetMask1), "255.255.0.0");
    EXPECT_EQ(server_->Field(BootpField::MaskGateway1), "192.168.0.254");
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_MAC1), "0A.1B.2C.3D.4E.5F");
    EXPECT_EQ(bootpUi_.shown[BootpField::EdName], "PumpHouse");

    server_->FieldChanged(BootpField::MaskEdit_IP_NEW, "192.168.0.99");
    server_->FormActivate();
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_IP), "192.168.0.7");
    EXPECT_EQ(bootpUi_.shown[BootpField::MaskEdit_IP_NEW], "192.168.0.7");
}

// Opened while a module behind the coupler is the current one, the window shows the
// current station's coupler and stores into it, also after other clicks meanwhile.
TEST_F(BootpServerTest, CurrentModuleThatIsNoCouplerShowsAndEditsTheCurrentStationsCoupler) {
    LoadWithServer(kTwoCouplers);
    model_->CurrentCouplerModule = 3;
    model_->CurrentModule = 4;
    server_->FormActivate();
    EXPECT_EQ(server_->EditedCoupler(), 3);
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_IP1), "192.168.0.8");
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_MAC), "0A.1B.2C.3D.4E.60");
    EXPECT_EQ(bootpUi_.shown[BootpField::EdName], "Boiler");
    const std::string otherGateway = model_->Module(1)->Gate_way;
    model_->CurrentModule = 1;
    server_->FieldChanged(BootpField::MaskGateway, "192.168.0.1");
    EXPECT_EQ(model_->Module(3)->Gate_way, "192.168.0.1");
    EXPECT_EQ(model_->Module(1)->Gate_way, otherGateway);
    EXPECT_EQ(model_->Module(4)->Gate_way, "");
    // A coupler made current is the one shown at the next activation.
    server_->FormActivate();
    EXPECT_EQ(server_->EditedCoupler(), 1);
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_IP1), "192.168.0.7");
}

TEST_F(BootpServerTest, EmptyStationActivatesWithTheConnectionStateAsItIs) {
    model_->ClearStation();
    model_->CurrentIP = "10.0.0.5";
    server_->FormActivate();
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_IP1), "10.0.0.5");
    server_->FieldChanged(BootpField::MaskGateway, "10.0.0.1");
    EXPECT_EQ(model_->CurrentGateway, "10.0.0.1");
}

TEST_F(BootpServerTest, TabsMirrorMaskGatewayAndMacIntoEachOtherAndTheModule) {
    server_->FormActivate();
    server_->FieldChanged(BootpField::MaskGateway1, "10. 0. 0.  1");
    EXPECT_EQ(bootpUi_.shown[BootpField::MaskGateway], "10. 0. 0.  1");
    EXPECT_EQ(model_->CurrentGateway, "10.0.0.1");
    EXPECT_EQ(model_->Module(1)->Gate_way, "10.0.0.1");

    server_->FieldChanged(BootpField::MaskEdit_MAC, "00.AA.BB.CC.DD.EE");
    EXPECT_EQ(bootpUi_.shown[BootpField::MaskEdit_MAC1], "00.AA.BB.CC.DD.EE");
    EXPECT_EQ(model_->Module(1)->MACAddress, "00.AA.BB.CC.DD.EE");

    server_->FieldChanged(BootpField::SubnetMask1, "255.255.255.  0");
    EXPECT_EQ(server_->Field(BootpField::SubnetMask), "255.255.255.  0");
    EXPECT_EQ(model_->Module(1)->Subnet_Maske, "255.255.255.0");

    // An address to assign is only typed; the station's address stays.
    server_->FieldChanged(BootpField::MaskEdit_IP, "10.0.0.9");
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_IP_NEW), "10.0.0.9");
    EXPECT_EQ(model_->CurrentIP, "192.168.0.7");
    EXPECT_EQ(model_->Module(1)->IPAddress, "192.168.0.7");

    // The present address goes to the station as typed.
    server_->FieldChanged(BootpField::MaskEdit_IP1, "10.0.0.  8");
    EXPECT_EQ(model_->CurrentIP, "10.0.0.  8");
    EXPECT_EQ(model_->Module(1)->IPAddress, "10.0.0.  8");
}

TEST_F(BootpServerTest, ClosingSetsTheStatusLineAndSavesTheStation) {
    std::filesystem::create_directories(folder_);
    server_->FormActivate();
    server_->FieldChanged(BootpField::MaskEdit_MAC1, "00.AA.BB.CC.DD.EE");
    server_->FormClose();
    EXPECT_EQ(bootpUi_.stationStatus, "PumpHouse  IP:192.168.0.7");
    std::ifstream saved(folder_ / "korvo.ini");
    std::stringstream text;
    text << saved.rdbuf();
    EXPECT_NE(text.str().find("MAC Address=00.AA.BB.CC.DD.EE"), std::string::npos) << text.str();
}

TEST_F(BootpServerTest, SaveFailureAtCloseIsShown) {
    server_->FormActivate();
    server_->FormClose();
    ASSERT_EQ(bootpUi_.boxes.size(), 1u);
    EXPECT_NE(bootpUi_.boxes[0].find("korvo.ini"), std::string::npos) << bootpUi_.boxes[0];
}

TEST_F(BootpServerTest, RestartSendsTheCommandAndTheNextReplyMovesTheStationToTheNewAddress) {
    server_->FormActivate();
    server_->FieldChanged(BootpField::MaskEdit_IP1, address_);
    server_->FieldChanged(BootpField::MaskEdit_IP_NEW, "192.168. 0. 20");
    server_->CheckIP1Click(true);
    EXPECT_TRUE(server_->Button3Click());
    EXPECT_TRUE(server_->RestartMode());
    EXPECT_TRUE(access_->NodesClosed());
    const std::vector<std::uint16_t> commands = station_->receivedCommands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), 0x0956), commands.end());
    EXPECT_EQ(bootpUi_.log.back(), "<-- restart command sent to " + address_);

    Receive(Request(300));
    ASSERT_EQ(sender_.sent.size(), 1u);
    EXPECT_EQ(std::vector<std::uint8_t>(sender_.sent[0].begin() + 16, sender_.sent[0].begin() + 20),
              (std::vector<std::uint8_t>{192, 168, 0, 20}));
    EXPECT_FALSE(server_->RestartMode());
    EXPECT_EQ(model_->CurrentIP, "192.168.0.20");
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_IP), "192.168.0.20");
    EXPECT_EQ(server_->Field(BootpField::MaskEdit_IP1), "192.168.0.20");
    EXPECT_EQ(model_->Module(1)->IPAddress, "192.168.0.20");
    EXPECT_EQ(bootpUi_.log.back(), "<-- sent IP address 192.168.0.20 to KORVO NC-ETH ");
}

// The window's own log says why a restart failed, with the address it went to.
TEST_F(BootpServerTest, FailedRestartIsLoggedWithTheAddressAndStillAnswersInRestartMode) {
    server_->FormActivate();
    server_->FieldChanged(BootpField::MaskEdit_IP1, "127.0.0.  0");
    EXPECT_FALSE(server_->Button3Click());
    EXPECT_EQ(bootpUi_.log.back(), "--- restart of 127.0.0.0 failed: no echo reply within 1000 ms");
    EXPECT_TRUE(server_->RestartMode());
    EXPECT_TRUE(access_->NodesClosed());

    // It answers the echo, but nothing listens for the nodes there.
    std::string silent = RandomLoopbackAddress();
    while (silent == address_) silent = RandomLoopbackAddress();
    pinger_.reachable[silent] = true;
    server_->FieldChanged(BootpField::MaskEdit_IP1, silent);
    EXPECT_FALSE(server_->Button3Click());
    EXPECT_EQ(bootpUi_.log.back().rfind(
                  "--- restart of " + silent + " failed: its nodes could not be opened, error code E0", 0),
              0u)
        << bootpUi_.log.back();
    EXPECT_TRUE(access_->NodesClosed());
}

TEST_F(BootpServerTest, ConnectionChecksLogTheHostAsTyped) {
    server_->FormActivate();
    server_->FieldChanged(BootpField::MaskEdit_IP1, address_.substr(0, 4) + "  " + address_.substr(4));
    server_->Button2Click();
    EXPECT_EQ(bootpUi_.log.back(), "--> Response from    : " + server_->Field(BootpField::MaskEdit_IP1));
    EXPECT_EQ(bootpUi_.pingButton, (std::vector<bool>{false, true}));

    model_->CurrentIP = "10.9.9.9";
    server_->BuPingClick();
    EXPECT_EQ(bootpUi_.log.back(), "--- NO Response from : 10.9.9.9");
    EXPECT_TRUE(bootpUi_.boxes.empty());

    server_->BitBtn1Click();
    EXPECT_EQ(bootpUi_.helpPages, (std::vector<int>{9}));
}

TEST(BootpAddressText, GroupsAreReadAsTheAlgorithmSays) {
    EXPECT_EQ(ParseIpText(" 192.168.  0. 10").bytes, (std::array<std::uint8_t, 6>{192, 168, 0, 10, 0, 0}));
    EXPECT_EQ(ParseIpText("10.1.2").bytes, (std::array<std::uint8_t, 6>{10, 1, 2, 2, 0, 0}));
    EXPECT_EQ(ParseIpText("10").bytes, (std::array<std::uint8_t, 6>{10, 10, 10, 10, 0, 0}));
    EXPECT_EQ(ParseMacText("0a.1B.c.3d.4E.ff").bytes,
              (std::array<std::uint8_t, 6>{0x0A, 0x1B, 0x0C, 0x3D, 0x4E, 0xFF}));
    EXPECT_TRUE(ParseIpText("0.0.0.0").ok);
    EXPECT_TRUE(ParseIpText("255.255.255.255").ok);
}

TEST(BootpAddressText, BrokenTextsAreRefusedWithTheReason) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "is empty"},
        {"   ", "is empty"},
        {"...", "group 1 \"\" is empty"},
        {"10.1.256.2", "group 3 \"256\" is out of range 0..255"},
        {"10.1..2", "group 3 \"\" is empty"},
        {"10.1.x.2", "group 3 \"x\" is not a decimal number"},
        {"10.-1.0.2", "group 2 \"-1\" is not a decimal number"},
        {"10.0x1.0.2", "group 2 \"0x1\" is not a decimal number"},
        {"1.2.3.4.5", "has more than 4 groups"},
        {"99999999999999999999.0.0.0", "group 1 \"99999999999999999999\" is out of range 0..255"},
    };
    for (const auto& [text, why] : cases) {
        const ParsedAddress parsed = ParseIpText(text);
        EXPECT_FALSE(parsed.ok) << text;
        EXPECT_EQ(parsed.why, why) << text;
    }
    EXPECT_EQ(ParseMacText("0A.1B.2C.3D.4E.1FF").why, "group 6 \"1FF\" is out of range 0..255");
    EXPECT_EQ(ParseMacText("0A.1B.2G.3D.4E.5F").why, "group 3 \"2G\" is not a hexadecimal number");
}

}  // namespace
}  // namespace korvo::testing
