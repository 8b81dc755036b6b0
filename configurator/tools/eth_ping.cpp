#include "eth_ping.h"

#include "tools/pinger.h"
#include "../station/station_model.h"
#include "../station/versch.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

namespace korvo {

std::string PingReplyLine(const EchoReply& reply, int sequence, const std::string& host) {
    if (reply.bytes == 0) {
        std::string typed = host;
        TrimBlanks(typed);
        return "no answer from " + typed + " within " + std::to_string(kEchoTimeoutMs) +
               " ms (icmp_seq=" + std::to_string(sequence) + ")";
    }
    const std::string time = reply.roundTripMs != 0 ? "=" + std::to_string(reply.roundTripMs) : "<1";
    char line[160];
    std::snprintf(line, sizeof line, "%d bytes from %s: icmp_seq=%d ttl=%d time%s ms", reply.bytes,
                  reply.address.c_str(), sequence, reply.ttl, time.c_str());
    return line;
}

std::string PingHostOfSelection(const StationModel& model) {
    const TModul* coupler = model.Module(model.SelectedCoupler);
    if (coupler == nullptr || !coupler->IsCoupler()) return {};
    std::string address = coupler->IPAddress;
    RemoveBlanks(address);
    return address;
}

LocalHost LocalHostInfo() {
    LocalHost host;
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) == 0) host.name = name;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return host;
    std::string loopback;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            !(entry->ifa_flags & IFF_UP)) {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, text,
                    sizeof text);
        if (entry->ifa_flags & IFF_LOOPBACK) {
            if (loopback.empty()) loopback = text;
            continue;
        }
        host.address = text;
        break;
    }
    ::freeifaddrs(list);
    if (host.address.empty()) host.address = loopback;
    return host;
}

PingAttempt EthPing::Ping(const std::string& host) {
    PingAttempt attempt;
    const EchoResult result = pinger_.Ping(host);
    attempt.sent = result.sent;
    attempt.notPermitted = result.notPermitted;
    attempt.error = result.error;
    if (result.sent) attempt.line = PingReplyLine(result.reply, sequence_++, host);
    return attempt;
}

}  // namespace korvo
