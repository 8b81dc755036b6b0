#include "ddi_funktionen.h"

#include "station/dotted_address.h"
#include "station/versch.h"

#include <quorrin.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace korvo {

namespace {

constexpr std::uint16_t kAccessMode = 3;
constexpr std::uint16_t kProcessDataAttribute = 2;
constexpr std::uint16_t kReceiveBufferBytes = 1024;

}  // namespace

ControllerAccess::ControllerAccess(std::string& currentIP, Clock& clock, CallRunner& runner)
    : currentIP_(currentIP), clock_(clock), runner_(runner) {}

std::string ControllerAccess::MailboxNodeName() const {
    return "KNETHIP[" + DecimalAddress(currentIP_) + "|30,30]N1_M";
}

std::string ControllerAccess::DataNodeName() const { return "KNETHIP[" + DecimalAddress(currentIP_) + "|30,30]N1_D"; }

std::uint32_t ControllerAccess::OpenNodePair(std::uint32_t& mailbox, std::uint32_t& data) {
    RemoveBlanks(currentIP_);
    // The library writes a handle only where it opened a node; the others keep theirs.
    struct Opened {
        std::uint32_t mailbox = 0;
        std::uint32_t data = 0;
        bool mailboxOpened = false;
        bool dataOpened = false;
    };
    auto opened = std::make_shared<Opened>(Opened{mailbox, data});
    const std::uint32_t result =
        runner_.Run([opened, mailboxName = MailboxNodeName(), dataName = DataNodeName()] {
            std::uint32_t r = DDI_DevOpenNode(mailboxName.c_str(), kAccessMode, &opened->mailbox);
            opened->mailboxOpened = r == DDI_OK;
            if (r == DDI_OK) {
                r = DDI_DevOpenNode(dataName.c_str(), kAccessMode, &opened->data);
                opened->dataOpened = r == DDI_OK;
            }
            return r;
        });
    if (result == kCallCancelled) {
        // The opening goes on behind the cancelled wait; what it opens is closed
        // right after it, in the worker's order.
        runner_.Run(
            [opened] {
                if (opened->mailboxOpened) DDI_DevCloseNode(opened->mailbox);
                if (opened->dataOpened) DDI_DevCloseNode(opened->data);
                return DDI_OK;
            },
            true);
        return result;
    }
    mailbox = opened->mailbox;
    data = opened->data;
    return result;
}

std::uint32_t ControllerAccess::CloseNodePair(std::uint32_t& mailbox, std::uint32_t& data) {
    const std::uint32_t result = runner_.Run(
        [mailbox, data] {
            DDI_DevCloseNode(mailbox);
            return DDI_DevCloseNode(data);
        },
        true);
    mailbox = 0;
    data = 0;
    return result;
}

[[gnu::hot]] std::uint32_t ControllerAccess::ReadProcessData(std::uint32_t handle, std::uint16_t address,
                                                          std::uint16_t length) {
    if (length > InputImage.size()) return ERR_INVALID_ARGUMENT;
    // The worker reads into bytes of its own; bytes the library leaves alone keep
    // what the image held.
    auto bytes = std::make_shared<std::array<std::uint8_t, kImageSize>>(InputImage);
    const std::uint32_t result = runner_.Run([handle, address, length, bytes] {
        DDI_PD_RECORD record{length, address, kProcessDataAttribute, bytes->data()};
        return DDI_DTI_ReadData(handle, &record);
    });
    if (result != kCallCancelled) std::copy_n(bytes->begin(), length, InputImage.begin());
    return result;
}

[[gnu::hot]] std::uint32_t ControllerAccess::WriteProcessData(std::uint32_t handle, std::uint16_t address,
                                                           std::uint16_t length) {
    if (length > OutputImage.size()) return ERR_INVALID_ARGUMENT;
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(OutputImage.begin(), OutputImage.begin() + length);
    return runner_.Run([handle, address, length, bytes] {
        DDI_PD_RECORD record{length, address, kProcessDataAttribute, bytes->data()};
        return DDI_DTI_WriteData(handle, &record);
    });
}

std::uint32_t ControllerAccess::SendCommand(CommandWords words, std::uint32_t handle) {
    if (words.size() < 2) return ERR_INVALID_ARGUMENT;
    // Never send parameters the command array does not hold.
    const std::size_t n = std::min<std::size_t>({words[1], kMaxParameterWords, words.size() - 2});
    std::vector<std::uint8_t> message;
    message.reserve(2 * n + 4);
    for (std::size_t i = 0; i < n + 2; ++i) {
        message.push_back(static_cast<std::uint8_t>(words[i] >> 8));
        message.push_back(static_cast<std::uint8_t>(words[i] & 0xFF));
    }
    return runner_.Run([handle, message = std::move(message)]() mutable {
        DDI_MSG_RECORD record{0, static_cast<std::uint16_t>(message.size()), 0, message.data()};
        return DDI_MXI_SndMessage(handle, &record);
    });
}

std::uint32_t ControllerAccess::ReceiveMessage(std::uint32_t handle, std::span<std::uint16_t> words) {
    // Zeroed, so a message shorter than its word count announces yields zeros rather
    // than bytes of an earlier message.
    auto received = std::make_shared<std::array<std::uint8_t, kReceiveBufferBytes>>();
    std::uint32_t result = runner_.Run([handle, received] {
        DDI_MSG_RECORD record{0, kReceiveBufferBytes, 0, received->data()};
        return DDI_MXI_RcvMessage(handle, &record);
    });
    const std::array<std::uint8_t, kReceiveBufferBytes>& buffer = *received;
    // The buffer holds as many words as MailboxBuffer; no command looks further into
    // a confirmation, so a longer one counts as received.
    if (result == ERR_BUFFER_SIZE) result = DDI_OK;
    if (result != DDI_OK || words.size() < 2) return result;
    const auto word = [&](std::size_t i) {
        return static_cast<std::uint16_t>(buffer[2 * i] << 8 | buffer[2 * i + 1]);
    };
    words[0] = word(0);
    words[1] = word(1);
    const std::size_t n = std::min<std::size_t>({words[1], kMaxParameterWords, words.size() - 2});
    for (std::size_t i = 1; i <= n; ++i) words[i + 1] = word(i + 1);
    return result;
}

std::uint32_t ControllerAccess::WaitForConfirmation(std::uint32_t handle, std::uint16_t code, std::uint32_t seconds,
                                                    std::span<std::uint16_t> words) {
    if (words.size() < 3) return ERR_INVALID_ARGUMENT;
    const std::uint64_t start = clock_.TickMs();
    const std::uint64_t limit = static_cast<std::uint64_t>(seconds) * 1000;
    words[2] = 0;
    std::uint32_t result;
    do {
        result = ReceiveMessage(handle, words);
        // Every further receive of a cancelled command would be refused at once.
        if (result == kCallCancelled) return result;
    } while (words[0] != code && clock_.TickMs() - start <= limit);
    return result != DDI_OK ? result : words[2];
}

std::uint32_t ControllerAccess::ConfirmCommand(std::uint16_t code, std::uint32_t handle) {
    return WaitForConfirmation(handle, code, 2, MailboxBuffer);
}

std::uint32_t ControllerAccess::Exchange(CommandWords command, std::uint32_t handle) {
    const std::uint32_t sent = SendCommand(command, handle);
    if (sent != DDI_OK) return sent;
    return ConfirmCommand(ConfirmationCode(command), handle);
}

std::uint16_t ControllerAccess::ReadStatusRegister() {
    std::uint16_t status = 0;
    ReadStatusRegister(status);
    return status;
}

std::uint32_t ControllerAccess::ReadStatusRegister(std::uint16_t& status) {
    auto diagnostic = std::make_shared<DDI_DIAG_RECORD>();
    const std::uint32_t result =
        runner_.Run([handle = MailboxNode, diagnostic] { return GetKNSDiagnostic(handle, diagnostic.get()); });
    status = result == DDI_OK ? diagnostic->statusRegister : 0;
    return result;
}

}  // namespace korvo
