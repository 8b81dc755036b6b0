#include "frame.h"

#include "registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>
#include <string_view>

namespace quorrin {
namespace {

constexpr std::size_t kMaxNodeName = 255;
constexpr std::size_t kMaxCanonicalName = 29;
constexpr std::size_t kMaxHostText = 111;
constexpr std::size_t kDirectFormWindow = 60;
constexpr std::size_t kRegistryTextLimit = 512;
constexpr std::size_t kRegistryAddressLimit = 256;

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool isDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Signed decimal as the controller's name syntax has it: leading blanks
// skipped, reading stops at the first non-digit; `pos` ends behind the digits.
long readDecimal(std::string_view text, std::size_t& pos)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        negative = text[pos++] == '-';
    long value = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        value = std::min(value * 10 + (text[pos++] - '0'), 1L << 31);
    }
    return negative ? -value : value;
}

// KNETHIP[host|a,b]suffix or KNETHIP[host]suffix.
uint32_t resolveDirectForm(std::string_view name, ResolvedName& resolved)
{
    constexpr std::size_t kOpen = 7;
    if (name.size() <= kOpen || name[kOpen] != '[')
        return ERR_NODE_NAME;
    std::string_view window = name.substr(kOpen + 1, kDirectFormWindow);
    std::size_t bar = window.find('|');
    std::size_t close = window.find(']');

    if (bar != std::string_view::npos && (close == std::string_view::npos || bar < close)) {
        std::size_t pos = bar + 1;
        long first = readDecimal(window, pos);
        if (pos >= window.size() || window[pos] != ',')
            return ERR_NODE_NAME;
        ++pos;
        long second = readDecimal(window, pos);
        if (pos >= window.size() || window[pos] != ']' || first == 0 || second == 0)
            return ERR_NODE_NAME;
        resolved.host = std::string(window.substr(0, bar));
    } else {
        if (close == std::string_view::npos)
            return ERR_NODE_NAME;
        resolved.host = std::string(window.substr(0, close));
        resolved.connectTimeout = kDirectNameTimeoutSeconds;
        resolved.receiveTimeout = kDirectNameTimeoutSeconds;
    }

    std::string canonical = std::string(name.substr(0, 5)) + "01" + std::string(name.substr(name.find(']') + 1));
    if (canonical.size() > kMaxCanonicalName)
        return ERR_NODE_NAME;
    resolved.canonical = std::move(canonical);
    return 0;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

uint32_t resolveFromRegistry(std::string_view name, const std::string& subkey, ResolvedName& resolved)
{
    std::string parameters = registry::kParametersKey;
    auto parameterKey = registry::Key::open(parameters);
    auto deviceKey = parameterKey ? registry::Key::open(parameters + "\\" + subkey) : std::nullopt;
    if (!deviceKey)
        return ERR_REGISTRY_KEY;

    auto inUse = deviceKey->readText("InUse", kRegistryTextLimit);
    if (!inUse)
        return ERR_REGISTRY_VALUE;
    if (!equalsIgnoringCase(*inUse, "YES"))
        return ERR_DEVICE_NOT_IN_USE;

    auto deviceNames = deviceKey->readText("DeviceNames", kRegistryTextLimit);
    if (!deviceNames)
        return ERR_REGISTRY_VALUE;
    bool listed = false;
    std::istringstream entries(*deviceNames);
    for (std::string entry; !listed && std::getline(entries, entry, ' ');)
        listed = entry == name;
    if (!listed)
        return ERR_NODE_NAME;

    auto address = deviceKey->readText("IPAddress", kRegistryAddressLimit);
    if (!address)
        return ERR_REGISTRY_VALUE;
    if (address->size() > kMaxHostText)
        return ERR_HOST_UNRESOLVED;
    resolved.host = *address;

    if (auto seconds = deviceKey->readNumber("ConnectTimeout"))
        resolved.connectTimeout = static_cast<int32_t>(*seconds);
    if (auto seconds = deviceKey->readNumber("ReceiveTimeout"))
        resolved.receiveTimeout = static_cast<int32_t>(*seconds);
    resolved.canonical = std::string(name);
    return 0;
}

void resetEntry(Node& node)
{
    node.nodeId = 0;
    node.openWord = 0;
    node.inboxLength = 0;
    node.handlerState = HandlerState::None;
    node.pendingException = 0;
    node.handler = nullptr;
    node.monitoringMode = MonitoringMode::Off;
    node.monitoringCallback = nullptr;
    node.monitoringWaitTime = 0;
    node.dataIndicationActive = false;
    node.notificationActive = false;
    node.notify1 = 0;
    node.notify2 = 0;
    node.notificationWaitTime = 0;
}

} // namespace

Node* reserveNode()
{
    auto& nodes = library().nodes;
    for (std::size_t index = 0; index < nodes.size(); ++index) {
        NodeState expected = NodeState::Free;
        if (nodes[index].state.compare_exchange_strong(expected, NodeState::Reserved)) {
            Node& node = nodes[index];
            resetEntry(node);
            node.handle = static_cast<uint32_t>(index + QUORRIN_FIRST_HANDLE);
            return &node;
        }
    }
    return nullptr;
}

void freeNode(Node& node)
{
    node.socket.close();
    node.monitoringSocket.close();
    node.indicationSocket.close();
    resetEntry(node);
    node.state.store(NodeState::Free);
}

uint32_t resolveNodeName(const char* name, ResolvedName& resolved)
{
    std::size_t length = strnlen(name, kMaxNodeName + 1);
    if (length > kMaxNodeName)
        return ERR_NODE_NAME;
    std::string_view text(name, length);

    if (startsWith(text, "KNETHIP"))
        return resolveDirectForm(text, resolved);
    if (startsWith(text, "KNB")) {
        if (text.size() < 4 || !isDigit(text[3]))
            return ERR_NODE_NAME;
        return resolveFromRegistry(text, std::string(1, text[3]), resolved);
    }
    if (startsWith(text, "KNETH")) {
        if (text.size() < 7 || !isDigit(text[5]) || !isDigit(text[6]))
            return ERR_NODE_NAME;
        std::string subkey = text[5] == '0' ? std::string(1, text[6]) : std::string(text.substr(5, 2));
        return resolveFromRegistry(text, subkey, resolved);
    }
    return ERR_NODE_NAME;
}

} // namespace quorrin

using namespace quorrin;

namespace {

std::atomic<int32_t>& timeoutOption(int32_t option)
{
    switch (option) {
    case ETH_OPTION_RECEIVE_TIMEOUT:
        return library().receiveTimeout;
    case ETH_OPTION_CONNECT_TIMEOUT:
        return library().connectTimeout;
    default:
        return library().exchangeTimeout;
    }
}

} // namespace

extern "C" {

QUORRIN_API uint32_t ETH_SetClientOptions(int32_t option, const void* value, uint32_t size)
{
    switch (option) {
    case ETH_OPTION_RECEIVE_TIMEOUT:
    case ETH_OPTION_CONNECT_TIMEOUT:
    case ETH_OPTION_EXCHANGE_TIMEOUT: {
        if (size != sizeof(int32_t))
            return ERR_OPTION_SIZE;
        if (value == nullptr)
            return ERR_INVALID_ARGUMENT;
        int32_t seconds;
        std::memcpy(&seconds, value, sizeof seconds);
        timeoutOption(option).store(seconds);
        return 0;
    }
    case ETH_OPTION_CLIENT_NAME: {
        if (size > QUORRIN_MAX_CLIENT_NAME)
            return ERR_OPTION_SIZE;
        if (value == nullptr)
            return ERR_INVALID_ARGUMENT;
        auto& name = library().clientName;
        std::size_t length = strnlen(static_cast<const char*>(value), std::min<std::size_t>(size, name.size() - 1));
        std::memcpy(name.data(), value, length);
        name[length] = '\0';
        return 0;
    }
    default:
        return ERR_BAD_OPTION;
    }
}

QUORRIN_API uint32_t ETH_GetClientOptions(int32_t option, void* value, int32_t* size)
{
    if (option != ETH_OPTION_RECEIVE_TIMEOUT && option != ETH_OPTION_CONNECT_TIMEOUT && option != ETH_OPTION_CLIENT_NAME
        && option != ETH_OPTION_EXCHANGE_TIMEOUT)
        return ERR_BAD_OPTION;
    if (size == nullptr || value == nullptr)
        return ERR_INVALID_ARGUMENT;
    if (option == ETH_OPTION_CLIENT_NAME) {
        const auto& name = library().clientName;
        auto length = static_cast<int32_t>(strnlen(name.data(), name.size()));
        if (*size < length + 1)
            return ERR_OPTION_SIZE;
        *size = length;
        std::memcpy(value, name.data(), static_cast<std::size_t>(length) + 1);
        return 0;
    }
    if (*size != sizeof(int32_t))
        return ERR_OPTION_SIZE;
    int32_t seconds = timeoutOption(option).load();
    std::memcpy(value, &seconds, sizeof seconds);
    return 0;
}

QUORRIN_API int32_t ETH_GetNetworkError(int32_t handle)
{
    if (handle == ETH_NETWORK_ERROR_LAST)
        return library().lastNetworkError.load();
    Node* node = nodeForHandle(static_cast<uint32_t>(handle));
    if (handle < 0 || node == nullptr)
        return -1;
    NodeState state = node->state.load();
    return state == NodeState::Free || state == NodeState::Reserved ? -1 : 0;
}

} // extern "C"
