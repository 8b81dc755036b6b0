// Arbitrary bytes as a datagram on the BOOTP server's port. Only an Ethernet
// BOOTREQUEST (op 1, htype 1, hlen 6) long enough to hold the MAC address counts as
// a request; a reply built on top of any datagram is never taken for a request
// itself, so a reply that comes back to the server is not answered.

#include "tools/bootp_message.h"

#include <cstdlib>
#include <span>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto at = [&](std::size_t i) -> std::uint8_t { return i < size ? data[i] : 0; };
    const korvo::BootpRequestHeader header = korvo::ParseBootpRequest(bytes);
    Check(header.op == at(0) && header.htype == at(1) && header.hlen == at(2));
    const bool ethernetRequest = at(0) == 1 && at(1) == 1 && at(2) == 6;
    const bool holdsMac = size >= korvo::kBootpMinimumRequest;
    Check((header.kind == korvo::BootpDatagramKind::Request) == (ethernetRequest && holdsMac));
    Check((header.kind == korvo::BootpDatagramKind::TooShort) == (ethernetRequest && !holdsMac));

    korvo::BootpBuffer buffer{};
    korvo::LoadRequest(buffer, bytes);
    korvo::BuildBootpReply(buffer, {10, 1, 2, 3}, {255, 255, 255, 0}, {10, 1, 2, 1});
    Check(korvo::ParseBootpRequest(buffer).kind == korvo::BootpDatagramKind::NotRequest);
    Check(buffer[1] == at(1) && buffer[2] == at(2));
    return 0;
}
