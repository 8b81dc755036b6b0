// Arbitrary bytes as a BOOTP request to an armed server, as the text of an address
// field and as a reply to the simulated coupler's client. Only an Ethernet
// BOOTREQUEST that holds a MAC address is answered, and its reply must stay 300 bytes
// that keep every request byte the reply table does not set.

#include "korvo_sim/bootp_client.h"
#include "online/online_operation.h"
#include "station/station_model.h"
#include "station/dotted_address.h"
#include "tools/udp_bootp_server.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class NoConnection final : public korvo::ConnectionOpener {
public:
    bool PingCoupler() override { return false; }
    bool OpenConnection() override { return false; }
};

class LastReply final : public korvo::BootpSender {
public:
    bool SendReply(std::span<const std::uint8_t> bytes, std::string&) override {
        reply.assign(bytes.begin(), bytes.end());
        return true;
    }
    std::vector<std::uint8_t> reply;
};

void Check(bool condition) {
    if (!condition) std::abort();
}

bool SetByReply(std::size_t offset) {
    return offset == 0 || (offset >= 16 && offset < 24) || (offset >= 236 && offset < 253);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);

    korvo::StationModel model(nullptr, "/");
    korvo::ControllerAccess access(model.CurrentIP);
    NoConnection opener;
    korvo::Pinger pinger;
    LastReply sender;
    korvo::BootpUi ui;
    korvo::BootpServer server(model, access, opener, pinger, sender, ui);
    server.FormActivate();
    server.FieldChanged(korvo::BootpField::MaskEdit_IP, "10.1.2.3");
    server.FieldChanged(korvo::BootpField::SubnetMask, "255.255.255.0");
    server.FieldChanged(korvo::BootpField::MaskGateway, "10.1.2.1");
    std::string mac = "00.00.00.00.00.00";
    if (size >= korvo::kBootpMinimumRequest) {
        korvo::BootpBuffer buffer{};
        korvo::LoadRequest(buffer, bytes);
        mac = korvo::MacText(buffer);
    }
    server.FieldChanged(korvo::BootpField::MaskEdit_MAC, mac);
    server.CheckIPClick(true);
    server.UDPServer67UDPRead(bytes);
    if (korvo::ParseBootpRequest(bytes).kind != korvo::BootpDatagramKind::Request) {
        Check(sender.reply.empty() && server.Armed());
    } else {
        Check(sender.reply.size() == korvo::kBootpMessageSize && !server.Armed());
        for (std::size_t i = 0; i < sender.reply.size(); ++i) {
            if (!SetByReply(i)) Check(sender.reply[i] == (i < size ? data[i] : 0));
        }
    }

    korvo::ParseIpText(text);
    korvo::ParseMacText(text);
    korvo::sim::parseBootpReply(bytes, {0, 0, 0, 0, 0, 0}, 0);
    return 0;
}
