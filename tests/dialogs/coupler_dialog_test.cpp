#include "dialog_fixture.h"

#include "dialogs/korvo_nc_eth.h"
#include "tools/pinger.h"
#include "station/dotted_address.h"
#include "station/versch.h"

#include <set>

namespace korvo {
namespace {

class ScriptedPinger : public Pinger {
public:
    EchoResult Ping(const std::string& host) override {
        hosts.push_back(host);
        EchoResult result;
        result.sent = sendable;
        if (sendable && answering.count(host)) {
            result.reply.bytes = 32;
            result.reply.address = host;
        }
        return result;
    }
    std::vector<std::string> hosts;
    std::set<std::string> answering;
    bool sendable = true;
};

struct RecordingCouplerUi : CouplerUi {
    void SetStatus(const std::string& text, StatusKind kind) override {
        status = text;
        statusKind = kind;
        statuses.push_back(text);
    }
    void SetPingEnabled(bool enabled) override { pingStates.push_back(enabled); }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        messages.push_back(caption + "|" + text);
    }
    void ProcessMessages() override { ++processed; }
    std::string status;
    StatusKind statusKind = StatusKind::Failure;
    std::vector<std::string> statuses;
    std::vector<bool> pingStates;
    std::vector<std::string> messages;
    int processed = 0;
};

constexpr const char* kProject =
    "[Module]\r\nAnzahl=3\r\nName1=KORVO NC ETH\r\nName2=KORVO DI 4\r\nName3=KORVO NC ETH\r\n"
    "[Station1]\r\nIPAddress=127.0.0.10\r\nMask=255.0.0.0\r\nMAC Address=02.4B.52.00.00.0A\r\n"
    "Gateway Address=0.0.0.0\r\nStation Name=PumpHouse\r\n"
    "[Station2]\r\n";

class CouplerDialog : public testing::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Load(kProject);
        dialog_ = std::make_unique<Korvo_NC_ETH>(pinger_, couplerUi_);
    }
    Korvo_NC_ETH& Dialog() { return *dialog_; }

    ScriptedPinger pinger_;
    RecordingCouplerUi couplerUi_;
    std::unique_ptr<Korvo_NC_ETH> dialog_;
};

TEST_F(CouplerDialog, ActivationLoadsCouplerIntoConnectionState) {
    model_->CurrentModule = 1;
    model_->CurrentIP = "stale";
    const std::optional<CouplerFields> fields = Dialog().FormActivate(*model_);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->ipAddress, "127.0.0.10");
    EXPECT_EQ(fields->subnetMask, "255.0.0.0");
    EXPECT_EQ(fields->gateway, "0.0.0.0");
    EXPECT_EQ(fields->stationName, "PumpHouse");
    EXPECT_EQ(model_->CurrentIP, "127.0.0.10");
    EXPECT_EQ(model_->CurrentMAC, "02.4B.52.00.00.0A");
    EXPECT_EQ(model_->CurrentStationName, "PumpHouse");
}

TEST_F(CouplerDialog, EmptyCouplerLeavesConnectionStateEmpty) {
    Module(3).IPAddress.clear();
    Module(3).StationName.clear();
    model_->CurrentModule = 3;
    const std::optional<CouplerFields> fields = Dialog().FormActivate(*model_);
    ASSERT_TRUE(fields);
    EXPECT_TRUE(fields->ipAddress.empty());
    Dialog().AddressChange(*model_, AddressField::IPAddress, "   .   .   .   ");
    Dialog().StationNameChange(*model_, "");
    EXPECT_TRUE(model_->CurrentIP.empty());
    EXPECT_TRUE(Module(3).IPAddress.empty());
    EXPECT_TRUE(couplerUi_.status.empty());
}

TEST_F(CouplerDialog, TypedValuesGoIntoModuleAndStateWithoutBlanks) {
    model_->CurrentModule = 3;
    Dialog().FormActivate(*model_);
    Dialog().AddressChange(*model_, AddressField::IPAddress, "192.168.  0. 17");
    Dialog().AddressChange(*model_, AddressField::SubnetMask, "255.255.255.  0");
    Dialog().AddressChange(*model_, AddressField::Gateway, "192.168.  0.  1");
    Dialog().StationNameChange(*model_, "K\xFChlraum");
    EXPECT_EQ(Module(3).IPAddress, "192.168.0.17");
    EXPECT_EQ(model_->CurrentIP, "192.168.0.17");
    EXPECT_EQ(Module(3).Subnet_Maske, "255.255.255.0");
    EXPECT_EQ(model_->CurrentMask, "255.255.255.0");
    EXPECT_EQ(Module(3).Gate_way, "192.168.0.1");
    EXPECT_EQ(model_->CurrentGateway, "192.168.0.1");
    EXPECT_EQ(Module(3).StationName, "K\xFChlraum");
    EXPECT_EQ(model_->CurrentStationName, "K\xFChlraum");
}

TEST_F(CouplerDialog, WrongAddressIsNotTakenAndStatusNamesTheField) {
    model_->CurrentModule = 1;
    Dialog().FormActivate(*model_);
    Dialog().AddressChange(*model_, AddressField::SubnetMask, "255.256.  0.  0");
    EXPECT_EQ(Module(1).Subnet_Maske, "255.0.0.0");
    EXPECT_EQ(model_->CurrentMask, "255.0.0.0");
    EXPECT_NE(couplerUi_.status.find("Subnet mask"), std::string::npos) << couplerUi_.status;
    EXPECT_NE(couplerUi_.status.find("256 is above 255"), std::string::npos) << couplerUi_.status;

    Dialog().AddressChange(*model_, AddressField::Gateway, "10.1a.0.1");
    EXPECT_NE(couplerUi_.status.find("Subnet mask"), std::string::npos) << "first wrong field stays shown";
    Dialog().AddressChange(*model_, AddressField::SubnetMask, "255.255.  0.  0");
    EXPECT_NE(couplerUi_.status.find("gateway"), std::string::npos) << couplerUi_.status;
    EXPECT_NE(couplerUi_.status.find("\"1a\" is not a number"), std::string::npos) << couplerUi_.status;
    Dialog().AddressChange(*model_, AddressField::Gateway, "127.0.0.1");
    EXPECT_TRUE(couplerUi_.status.empty());
    EXPECT_EQ(Module(1).Gate_way, "127.0.0.1");
}

TEST_F(CouplerDialog, DoubtfulMaskOrGatewayIsWarnedAboutButStoredAsTyped) {
    model_->CurrentModule = 1;
    Dialog().FormActivate(*model_);
    Dialog().AddressChange(*model_, AddressField::IPAddress, "192.168.  0. 10");
    Dialog().AddressChange(*model_, AddressField::Gateway, "192.168.  0.  1");
    Dialog().AddressChange(*model_, AddressField::SubnetMask, "255.  0.255.  0");
    EXPECT_EQ(Module(1).Subnet_Maske, "255.0.255.0");
    EXPECT_NE(couplerUi_.status.find("subnet mask 255.0.255.0 is not contiguous"), std::string::npos)
        << couplerUi_.status;
    EXPECT_NE(couplerUi_.status.find("stored as typed"), std::string::npos) << couplerUi_.status;

    Dialog().AddressChange(*model_, AddressField::SubnetMask, "255.255.255.  0");
    EXPECT_TRUE(couplerUi_.status.empty()) << couplerUi_.status;
    Dialog().AddressChange(*model_, AddressField::Gateway, "192.168.  1.  1");
    EXPECT_EQ(Module(1).Gate_way, "192.168.1.1");
    EXPECT_EQ(couplerUi_.status,
              "gateway 192.168.1.1 lies outside the subnet of 192.168.0.10 / 255.255.255.0 - stored as typed");
    // A field with a typing error is shown before the warning, which comes back after it.
    Dialog().AddressChange(*model_, AddressField::IPAddress, "192.168.  0.300");
    EXPECT_NE(couplerUi_.status.find("300 is above 255"), std::string::npos) << couplerUi_.status;
    Dialog().AddressChange(*model_, AddressField::IPAddress, "192.168.  1. 10");
    EXPECT_TRUE(couplerUi_.status.empty()) << couplerUi_.status;
}

TEST_F(CouplerDialog, IncompleteAddressIsNotTaken) {
    model_->CurrentModule = 1;
    Dialog().FormActivate(*model_);
    Dialog().AddressChange(*model_, AddressField::IPAddress, "192.168.   .   ");
    EXPECT_EQ(model_->CurrentIP, "127.0.0.10");
    EXPECT_NE(couplerUi_.status.find("IP address 192.168..: four groups"), std::string::npos)
        << couplerUi_.status;
}

TEST_F(CouplerDialog, ReturningFromAnotherModuleKeepsEditingTheCoupler) {
    model_->CurrentModule = 1;
    Dialog().FormActivate(*model_);
    model_->CurrentModule = 2;  // the user clicked the DI 4 in the station view
    ASSERT_TRUE(Dialog().FormActivate(*model_));
    Dialog().StationNameChange(*model_, "Renamed");
    EXPECT_EQ(Dialog().EditedCoupler(), 1);
    EXPECT_EQ(Module(1).StationName, "Renamed");
    EXPECT_TRUE(Module(2).StationName.empty());
    EXPECT_EQ(model_->CurrentIP, "127.0.0.10");
}

// A response is no failure and shows so; each test clears what the one before said
// before it waits for its echo.
TEST_F(CouplerDialog, ConnectionTestReportsResponseOrNoneEachStartingClear) {
    model_->CurrentModule = 1;
    Dialog().FormActivate(*model_);
    pinger_.answering.insert("127.0.0.10");
    Dialog().BuPingClick(*model_, "127.  0.  0. 10");
    EXPECT_EQ(couplerUi_.status, "  Response from: 127.0.0.10");
    EXPECT_EQ(couplerUi_.statusKind, StatusKind::Success);
    EXPECT_EQ(couplerUi_.pingStates, (std::vector<bool>{false, true}));
    pinger_.answering.clear();
    couplerUi_.statuses.clear();
    Dialog().BuPingClick(*model_, "127.0.0.10");
    EXPECT_EQ(couplerUi_.statuses, (std::vector<std::string>{"", " NO Response from: 127.0.0.10"}));
    EXPECT_EQ(couplerUi_.statusKind, StatusKind::Failure);
    EXPECT_TRUE(couplerUi_.messages.empty());
    // An echo that cannot be sent leaves no result of the test before.
    pinger_.sendable = false;
    Dialog().BuPingClick(*model_, "127.0.0.10");
    EXPECT_EQ(couplerUi_.status, "");
    // Nor does the window opened for another coupler.
    pinger_.sendable = true;
    Dialog().BuPingClick(*model_, "127.0.0.10");
    ASSERT_FALSE(couplerUi_.status.empty());
    model_->CurrentModule = 3;
    Dialog().FormActivate(*model_);
    EXPECT_EQ(couplerUi_.status, "");
}

TEST_F(CouplerDialog, LeadingZerosArePingedAsDecimal) {
    model_->CurrentModule = 1;
    Dialog().FormActivate(*model_);
    Dialog().BuPingClick(*model_, "127.000.000.010");
    ASSERT_EQ(pinger_.hosts.size(), 1u);
    EXPECT_EQ(pinger_.hosts[0], "127.0.0.10");
}

TEST_F(CouplerDialog, EchoThatCannotBeSentShowsBoxAndEnablesButton) {
    model_->CurrentModule = 1;
    Dialog().FormActivate(*model_);
    pinger_.sendable = false;
    Dialog().BuPingClick(*model_, "127.0.0.10");
    Dialog().BuPingClick(*model_, "   .   .   .   ");
    EXPECT_EQ(pinger_.hosts.back(), "");
    EXPECT_EQ(couplerUi_.messages,
              (std::vector<std::string>(2, "communication error|ERROR !! check IP settings")));
    EXPECT_EQ(couplerUi_.pingStates.back(), true);
    EXPECT_GE(couplerUi_.processed, 1);
}

TEST_F(CouplerDialog, CloseShowsStationInStatusBar) {
    model_->CurrentModule = 1;
    Dialog().FormActivate(*model_);
    Dialog().StationNameChange(*model_, "Boiler");
    Dialog().FormClose(*model_);
    EXPECT_EQ(ui_.stationStatus, "Boiler  IP:127.0.0.10");
}

TEST_F(CouplerDialog, StationNameThatBreaksTagsIsWarnedAboutWhileTyping) {
    model_->CurrentModule = 1;
    Dialog().FormActivate(*model_);
    Dialog().StationNameChange(*model_, "K\xFChlraum_2");
    EXPECT_TRUE(couplerUi_.status.empty()) << couplerUi_.status;
    Dialog().StationNameChange(*model_, "1 Pump[A]=\"x\";");
    EXPECT_EQ(Module(1).StationName, "1 Pump[A]=\"x\";");
    EXPECT_EQ(couplerUi_.status,
              "station name: blank, \"[\", \"]\", \"=\", \"\"\", \";\" and a leading digit do not fit into tag names; "
              "IEC names write _1_Pump_A_x instead - stored as typed");
    Dialog().StationNameChange(*model_, "Pump A");
    EXPECT_EQ(couplerUi_.status, "station name: blank does not fit into tag names; IEC names write Pump_A instead - "
                                 "stored as typed");
    Dialog().StationNameChange(*model_, "PumpA");
    EXPECT_TRUE(couplerUi_.status.empty()) << couplerUi_.status;
}

TEST(AddressField, ChecksEveryGroup) {
    EXPECT_EQ(CheckAddressField("  1.  2.  3.  4", "x").address, "1.2.3.4");
    EXPECT_TRUE(CheckAddressField("  1.  2.  3.  4", "x").problem.empty());
    EXPECT_TRUE(CheckAddressField("255.255.255.255", "x").problem.empty());
    EXPECT_TRUE(CheckAddressField("   .   .   .   ", "x").address.empty());
    EXPECT_TRUE(CheckAddressField("", "x").problem.empty());
    for (const char* bad :
         {"1.2.3", "1.2.3.4.5", "1..3.4", "1.2.3.256", "1.2.3.1000", "a.b.c.d", "1.2.3.-4"}) {
        EXPECT_FALSE(CheckAddressField(bad, "x").problem.empty()) << bad;
    }
}

TEST(AddressField, DecimalAddressDropsLeadingZerosOnly) {
    EXPECT_EQ(DecimalAddress("010.001.000.009"), "10.1.0.9");
    EXPECT_EQ(DecimalAddress("192.168.001.008"), "192.168.1.8");
    EXPECT_EQ(DecimalAddress("192.168.0.1"), "192.168.0.1");
    EXPECT_EQ(DecimalAddress("coupler.local"), "coupler.local");
    EXPECT_EQ(DecimalAddress("1.2.3"), "1.2.3");
    EXPECT_EQ(DecimalAddress("1.2.3.256"), "1.2.3.256");
    EXPECT_EQ(DecimalAddress("0x7f.0.0.1"), "0x7f.0.0.1");
}

TEST(AddressField, MaskContiguityAndGatewaySubnet) {
    EXPECT_FALSE(NetworkSettingsWarning("10.0.0.5", "255.255.255.255", "10.0.0.5").has_value());
    EXPECT_FALSE(NetworkSettingsWarning("10.0.0.5", "0.0.0.0", "1.2.3.4").has_value());
    EXPECT_FALSE(NetworkSettingsWarning("10.0.0.5", "255.255.254.0", "10.0.1.254").has_value());
    EXPECT_TRUE(NetworkSettingsWarning("10.0.0.5", "255.255.254.0", "10.0.2.1").has_value());
    EXPECT_TRUE(NetworkSettingsWarning("10.0.0.5", "255.255.255.1", "").has_value());
    EXPECT_TRUE(NetworkSettingsWarning("10.0.0.5", "0.255.255.255", "").has_value());
    // No gateway is no gateway elsewhere.
    EXPECT_FALSE(NetworkSettingsWarning("10.0.0.5", "255.255.255.0", "0.0.0.0").has_value());
    EXPECT_FALSE(NetworkSettingsWarning("10.0.0.5", "255.255.255.0", "").has_value());
}

}  // namespace
}  // namespace korvo
