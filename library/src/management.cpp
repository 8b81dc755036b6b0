#include "management.h"

#include "connection.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <string_view>

#include <arpa/inet.h>

namespace quorrin::management {
namespace {

enum class EntryState : uint32_t { Free = 0, Connecting, Open, Busy, Failed, Aborting };

struct Entry {
    // Claimed by compare-and-swap, so one exchange at a time runs on an entry.
    std::atomic<EntryState> state{EntryState::Free};
    net::TcpSocket socket;
    uint16_t connectionId = 0;
};

enum SubCode : uint16_t {
    kSetInternetAddress = 0x0410,
    kSetEthernetAddress = 0x0411,
    kSetPortNumbers = 0x0412,
    kGetNetConfiguration = 0x0414,
    kIdentify = 0x0415,
    kStatus = 0x0416,
    kHardwareReset = 0x0418,
    kInitiate = 0x041B,
    kAbort = 0x041C,
    kHardwareResetMode = 0x0421,
    kSetTcpMode = 0x0423,
    kGetTcpMode = 0x0424,
};

// The controller's answer to a hardware reset carries the status sub-code.
constexpr uint16_t kHardwareResetConfirmation = 0x0916;

constexpr std::size_t kNetConfigurationSize = sizeof(ETH_NET_CONFIGURATION);
constexpr std::size_t kStatusSize = sizeof(ETH_STATUS_RECORD);
constexpr std::size_t kMaxHostName = 253;
constexpr std::size_t kMaxLabel = 63;

std::array<Entry, QUORRIN_MANAGEMENT_ENTRIES> table;
std::atomic<uint16_t> sequence{0};
std::atomic<int64_t> receiveLimitMs{kReceiveLimit.count()};

// Host names are checked before any lookup, so text that no name server
// could answer never leaves the machine.
bool plausibleHostName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxHostName)
        return false;
    std::size_t label = 0;
    char previous = '.';
    for (char c : name) {
        if (c == '.') {
            if (label == 0)
                return false;
            label = 0;
            if (previous == '-')
                return false;
            label = 0;
        } else if (std::isalnum(static_cast<unsigned char>(c)) != 0 || (c == '-' && label != 0)) {
            if (++label > kMaxLabel)
                return false;
        } else {
            return false;
        }
        previous = c;
    }
    return label != 0 && previous != '-';
}

std::optional<in_addr> resolve(const char* host)
{
    std::size_t length = strnlen(host, kMaxHostName + 1);
    std::string text(host, length);
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) == 1)
        return address;
    if (!plausibleHostName(text))
        return std::nullopt;
    return net::resolveHost(text);
}

Entry* reserveEntry(uint32_t& index)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        EntryState expected = EntryState::Free;
        if (table[i].state.compare_exchange_strong(expected, EntryState::Connecting)) {
            index = static_cast<uint32_t>(i);
            table[i].connectionId = 0;
            return &table[i];
        }
    }
    return nullptr;
}

void freeEntry(Entry& entry)
{
    entry.socket.close();
    entry.connectionId = 0;
    entry.state.store(EntryState::Free);
}

// Socket failures are reported by their own code, the wait's failures by ERR_NETWORK.
uint32_t socketCode(const net::Outcome& outcome)
{
    if (outcome.networkError == static_cast<int32_t>(ERR_NETWORK) || outcome.networkError == 0)
        return ERR_NETWORK;
    return static_cast<uint32_t>(outcome.networkError);
}

uint32_t send(Entry& entry, const std::vector<uint8_t>& request)
{
    net::Outcome outcome = entry.socket.sendAll(request);
    return outcome.ok() ? 0 : socketCode(outcome);
}

// One whole confirmation: its header first, then the bytes it announces.
uint32_t receive(Entry& entry, Reply& reply)
{
    net::WaitLimit limit = receiveLimit();
    std::size_t received = 0;
    std::size_t expected = wire::kManagementHeaderSize;
    bool lengthKnown = false;
    while (received < expected) {
        std::size_t count = 0;
        auto space = std::span<uint8_t>(reply.bytes).subspan(received, expected - received);
        net::Outcome outcome = entry.socket.receiveSome(space, limit, count);
        if (outcome.result == ERR_TIMEOUT)
            return ERR_NETWORK;
        if (!outcome.ok())
            return socketCode(outcome);
        received += count;
        if (!lengthKnown && received >= 4) {
            auto header = wire::decodeHeader(std::span<const uint8_t>(reply.bytes.data(), received));
            if (!header)
                return ERR_NETWORK;
            expected = header->length;
            lengthKnown = true;
        }
    }
    reply.length = expected;
    return 0;
}

// A refusal without an error code must not read as success.
uint32_t refusal(uint16_t errorCode, bool signExtend, uint32_t withoutCode)
{
    if (errorCode == 0)
        return withoutCode;
    if (signExtend)
        return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(errorCode)));
    return errorCode;
}

struct Service {
    uint16_t subCode;
    uint16_t confirmation;
    bool signExtend;
};

constexpr Service service(uint16_t subCode, bool signExtend = false)
{
    return Service{subCode, static_cast<uint16_t>(subCode + wire::kManagementSubCodeOffset), signExtend};
}

// One exchange on an open entry: `parameters` writes the request's
// parameters, `results` takes them from a positive confirmation.
template <typename Parameters, typename Results>
uint32_t exchange(uint32_t handle, Service what, std::size_t parameterLength, Parameters&& parameters, Results&& results)
{
    if (handle >= table.size())
        return ERR_MGMT_HANDLE;
    Entry& entry = table[handle];
    EntryState expected = EntryState::Open;
    if (!entry.state.compare_exchange_strong(expected, EntryState::Busy))
        return ERR_MGMT_STATE;
    try {
        std::vector<uint8_t> request;
        wire::Writer out = wire::beginManagementRequest(request, sequence.fetch_add(1), what.subCode,
                                                        entry.connectionId, parameterLength);
        parameters(out);
        if (uint32_t result = send(entry, request); result != 0) {
            entry.state.store(EntryState::Failed);
            return result;
        }
        Reply reply;
        if (uint32_t result = receive(entry, reply); result != 0) {
            freeEntry(entry);
            return result;
        }
        wire::Reader reader = reply.reader();
        wire::ManagementConfirmation confirmation = wire::decodeManagementConfirmation(reader);
        uint32_t result = 0;
        if (confirmation.subCode != what.confirmation)
            result = ERR_MGMT_CONFIRMATION;
        else if (confirmation.status != 0)
            result = refusal(confirmation.errorCode, what.signExtend, ERR_MGMT_CONFIRMATION);
        else
            result = results(reader);
        entry.state.store(EntryState::Open);
        return result;
    } catch (const std::bad_alloc&) {
        entry.state.store(EntryState::Open);
        return ERR_NO_MEMORY;
    }
}

uint32_t exchange(uint32_t handle, Service what)
{
    return exchange(handle, what, 0, [](wire::Writer&) {}, [](const wire::Reader&) { return 0u; });
}

uint32_t initiate(const char* host, uint32_t* handle)
{
    auto address = resolve(host);
    if (!address)
        return ERR_MGMT_HOST;
    uint32_t index = 0;
    Entry* entry = reserveEntry(index);
    if (entry == nullptr)
        return ERR_TABLE_FULL;

    auto fail = [&](uint32_t result) {
        freeEntry(*entry);
        return result;
    };
    net::Outcome connected = entry->socket.connect(*address, QUORRIN_PORT, library().connectTimeout.load());
    if (connected.result == ERR_TIMEOUT)
        return fail(ERR_TIMEOUT);
    if (!connected.ok())
        return fail(socketCode(connected));

    std::vector<uint8_t> request;
    wire::beginManagementRequest(request, sequence.fetch_add(1), kInitiate, 0, 0);
    if (uint32_t result = send(*entry, request); result != 0)
        return fail(result);
    Reply reply;
    if (uint32_t result = receive(*entry, reply); result != 0)
        return fail(result);
    wire::ManagementConfirmation confirmation = wire::decodeManagementConfirmation(reply.reader());
    if (confirmation.code != wire::kManagementConfirmation)
        return fail(ERR_CONFIRMATION);
    if (confirmation.status != 0)
        return fail(refusal(confirmation.errorCode, false, ERR_CONFIRMATION));
    entry->connectionId = confirmation.connectionId;
    entry->state.store(EntryState::Open);
    *handle = index;
    return 0;
}

uint32_t abort(uint32_t handle)
{
    if (handle >= table.size())
        return ERR_MGMT_HANDLE;
    Entry& entry = table[handle];
    // A connection whose send failed cannot carry the abort any more; it is
    // closed here, or it would hold its descriptor and place until the
    // process ends.
    EntryState expected = EntryState::Failed;
    if (entry.state.compare_exchange_strong(expected, EntryState::Aborting)) {
        freeEntry(entry);
        return 0;
    }
    expected = EntryState::Open;
    if (!entry.state.compare_exchange_strong(expected, EntryState::Aborting))
        return ERR_MGMT_STATE;
    std::vector<uint8_t> request;
    wire::beginManagementRequest(request, sequence.fetch_add(1), kAbort, entry.connectionId, 0);
    if (uint32_t result = send(entry, request); result != 0) {
        freeEntry(entry);
        return result;
    }
    Reply reply;
    if (uint32_t result = receive(entry, reply); result != 0) {
        freeEntry(entry);
        return result;
    }
    wire::ManagementConfirmation confirmation = wire::decodeManagementConfirmation(reply.reader());
    uint32_t result = 0;
    if (confirmation.code != wire::kManagementConfirmation)
        result = ERR_MGMT_CONFIRMATION;
    else if (confirmation.status != 0)
        result = refusal(confirmation.errorCode, false, ERR_MGMT_CONFIRMATION);
    if (result != 0) {
        entry.state.store(EntryState::Open);
        return result;
    }
    freeEntry(entry);
    return 0;
}

// Wrong arguments of a call on an entry: the handle's error comes first, as
// every call checks its handle before anything else.
uint32_t argumentRefusal(uint32_t handle, uint32_t argumentError)
{
    if (handle >= table.size())
        return ERR_MGMT_HANDLE;
    return table[handle].state.load() == EntryState::Open ? argumentError : ERR_MGMT_STATE;
}

// Bytes of a caller record as they lie in memory: these values cross unchanged.
template <typename Record>
const uint8_t* rawBytes(const Record* record)
{
    return reinterpret_cast<const uint8_t*>(record);
}

} // namespace

void setReceiveLimit(std::chrono::milliseconds limit)
{
    receiveLimitMs.store(limit.count());
}

std::chrono::milliseconds receiveLimit()
{
    return std::chrono::milliseconds(receiveLimitMs.load());
}

bool adoptConnection(uint32_t handle, int fd, uint16_t connectionId)
{
    if (handle >= table.size())
        return false;
    Entry& entry = table[handle];
    EntryState expected = EntryState::Free;
    if (!entry.state.compare_exchange_strong(expected, EntryState::Connecting))
        return false;
    entry.socket.adopt(fd);
    entry.connectionId = connectionId;
    entry.state.store(EntryState::Open);
    return true;
}

} // namespace quorrin::management

using namespace quorrin;
using namespace quorrin::management;

extern "C" {

QUORRIN_API uint32_t ETH_InitiateManagement(const char* host, uint32_t* handle)
{
    if (host == nullptr || handle == nullptr)
        return ERR_INVALID_ARGUMENT;
    try {
        return initiate(host, handle);
    } catch (const std::bad_alloc&) {
        return ERR_NO_MEMORY;
    }
}

QUORRIN_API uint32_t ETH_AbortManagement(uint32_t handle)
{
    try {
        return abort(handle);
    } catch (const std::bad_alloc&) {
        return ERR_NO_MEMORY;
    }
}

QUORRIN_API uint32_t ETH_SetInternetAddress(uint32_t handle, const ETH_INTERNET_ADDRESS* address)
{
    if (address == nullptr)
        return argumentRefusal(handle, ERR_INVALID_ARGUMENT);
    return exchange(
        handle, service(kSetInternetAddress), sizeof *address,
        [&](wire::Writer& out) { out.bytes(rawBytes(address), sizeof *address); },
        [](const wire::Reader&) { return 0u; });
}

QUORRIN_API uint32_t ETH_SetEthernetAddress(uint32_t handle, const ETH_ETHERNET_ADDRESS* address, const char* text)
{
    if (address == nullptr || text == nullptr)
        return argumentRefusal(handle, ERR_INVALID_ARGUMENT);
    std::size_t length = strnlen(text, QUORRIN_MANAGEMENT_TEXT + 1);
    if (length > QUORRIN_MANAGEMENT_TEXT)
        return argumentRefusal(handle, ERR_MGMT_TEXT_LENGTH);
    std::array<uint8_t, QUORRIN_MANAGEMENT_TEXT> padded{};
    std::memcpy(padded.data(), text, length);
    return exchange(
        handle, service(kSetEthernetAddress), sizeof *address + padded.size(),
        [&](wire::Writer& out) { out.bytes(rawBytes(address), sizeof *address).bytes(padded.data(), padded.size()); },
        [](const wire::Reader&) { return 0u; });
}

QUORRIN_API uint32_t ETH_SetPortNumbers(uint32_t handle, uint16_t firstPort, uint16_t secondPort)
{
    return exchange(
        handle, service(kSetPortNumbers), 4, [&](wire::Writer& out) { out.be16(firstPort).be16(secondPort); },
        [](const wire::Reader&) { return 0u; });
}

QUORRIN_API uint32_t ETH_GetNetConfiguration(uint32_t handle, uint16_t selector, ETH_NET_CONFIGURATION* configuration)
{
    if (configuration == nullptr)
        return argumentRefusal(handle, ERR_INVALID_ARGUMENT);
    return exchange(
        handle, service(kGetNetConfiguration), 2, [&](wire::Writer& out) { out.be16(selector); },
        [&](const wire::Reader& reply) -> uint32_t {
            auto bytes = reply.bytes(wire::kManagementResultOffset, kNetConfigurationSize);
            if (!bytes)
                return ERR_MGMT_CONFIRMATION;
            std::memcpy(configuration, bytes->data(), kNetConfigurationSize);
            configuration->firstWord = *reply.be16(wire::kManagementResultOffset + 14);
            configuration->secondWord = *reply.be16(wire::kManagementResultOffset + 16);
            return 0;
        });
}

QUORRIN_API uint32_t ETH_Identify(uint32_t handle, uint8_t* block)
{
    if (block == nullptr)
        return argumentRefusal(handle, ERR_INVALID_ARGUMENT);
    return exchange(
        handle, service(kIdentify), 0, [](wire::Writer&) {},
        [&](const wire::Reader& reply) -> uint32_t {
            auto bytes = reply.bytes(wire::kManagementResultOffset, QUORRIN_IDENTIFY_SIZE);
            if (!bytes)
                return ERR_MGMT_CONFIRMATION;
            std::memcpy(block, bytes->data(), QUORRIN_IDENTIFY_SIZE);
            return 0;
        });
}

QUORRIN_API uint32_t ETH_Status(uint32_t handle, ETH_STATUS_RECORD* status)
{
    if (status == nullptr)
        return argumentRefusal(handle, ERR_INVALID_ARGUMENT);
    return exchange(
        handle, service(kStatus), 0, [](wire::Writer&) {},
        [&](const wire::Reader& reply) -> uint32_t {
            auto bytes = reply.bytes(wire::kManagementResultOffset, kStatusSize);
            if (!bytes)
                return ERR_MGMT_CONFIRMATION;
            std::memcpy(status, bytes->data(), kStatusSize);
            status->firstWord = *reply.be16(wire::kManagementResultOffset);
            status->secondWord = *reply.be16(wire::kManagementResultOffset + 2);
            return 0;
        });
}

QUORRIN_API uint32_t ETH_HardwareReset(uint32_t handle)
{
    return exchange(handle, Service{kHardwareReset, kHardwareResetConfirmation, false});
}

QUORRIN_API uint32_t ETH_EnableHardwareReset(uint32_t handle)
{
    return exchange(
        handle, service(kHardwareResetMode, true), 4, [](wire::Writer& out) { out.be16(0).be16(1); },
        [](const wire::Reader&) { return 0u; });
}

QUORRIN_API uint32_t ETH_DisableHardwareReset(uint32_t handle)
{
    return exchange(
        handle, service(kHardwareResetMode, true), 4, [](wire::Writer& out) { out.be16(0).be16(0); },
        [](const wire::Reader&) { return 0u; });
}

QUORRIN_API uint32_t ETH_SetTCPMode(uint32_t handle, uint16_t firstValue, uint16_t secondValue)
{
    return exchange(
        handle, service(kSetTcpMode, true), 4, [&](wire::Writer& out) { out.be16(firstValue).be16(secondValue); },
        [](const wire::Reader&) { return 0u; });
}

QUORRIN_API uint32_t ETH_GetTCPMode(uint32_t handle, uint16_t* firstValue, uint16_t* secondValue)
{
    if (firstValue == nullptr || secondValue == nullptr)
        return argumentRefusal(handle, ERR_INVALID_ARGUMENT);
    return exchange(
        handle, service(kGetTcpMode, true), 0, [](wire::Writer&) {},
        [&](const wire::Reader& reply) -> uint32_t {
            auto first = reply.be16(wire::kManagementResultOffset);
            auto second = reply.be16(wire::kManagementResultOffset + 2);
            if (!first || !second)
                return ERR_MGMT_CONFIRMATION;
            *firstValue = *first;
            *secondValue = *second;
            return 0;
        });
}

QUORRIN_API uint32_t ETH_GetHardwareResetMode(uint32_t, void*)
{
    return 0;
}

} // extern "C"
