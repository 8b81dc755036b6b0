#pragma once
// The configurator's layer over the quorrin library: the mailbox and data node pair
// of the current coupler, the process images and command messages with confirmation
// polling. Result codes of the library pass through unchanged; nothing is shown here.
// Every library call goes through the CallRunner: in place, or on the online worker.

#include "call_runner.h"
#include "clock.h"
#include "command_table.h"

#include <array>
#include <cstdint>
#include <string>

namespace korvo {

class ControllerAccess {
public:
    static constexpr std::size_t kImageSize = 512;
    static constexpr std::size_t kMailboxWords = 512;
    static constexpr std::uint16_t kMaxParameterWords = 510;

    // currentIP is the station state's address of the current coupler; opening the
    // node pair removes its blanks in place.
    ControllerAccess(std::string& currentIP, Clock& clock = SystemClock(), CallRunner& runner = DirectCalls());

    std::uint32_t MailboxNode = 0;
    std::uint32_t DataNode = 0;
    std::array<std::uint8_t, kImageSize> InputImage{};
    std::array<std::uint8_t, kImageSize> OutputImage{};
    std::array<std::uint16_t, kMailboxWords> MailboxBuffer{};

    std::uint32_t OpenNodePair(std::uint32_t& mailbox, std::uint32_t& data);
    std::uint32_t CloseNodePair(std::uint32_t& mailbox, std::uint32_t& data);
    std::uint32_t OpenNodePair() { return OpenNodePair(MailboxNode, DataNode); }
    std::uint32_t CloseNodePair() { return CloseNodePair(MailboxNode, DataNode); }
    bool NodesOpen() const { return MailboxNode != 0 && DataNode != 0; }
    bool NodesClosed() const { return MailboxNode == 0 && DataNode == 0; }

    // length bytes at address of the node's image into InputImage[0..length-1]; a
    // length beyond the image is refused before anything is sent.
    std::uint32_t ReadProcessData(std::uint32_t handle, std::uint16_t address, std::uint16_t length);
    std::uint32_t WriteProcessData(std::uint32_t handle, std::uint16_t address, std::uint16_t length);

    std::uint32_t SendCommand(CommandWords words, std::uint32_t handle);
    std::uint32_t ReceiveMessage(std::uint32_t handle, std::span<std::uint16_t> words);
    std::uint32_t WaitForConfirmation(std::uint32_t handle, std::uint16_t code, std::uint32_t seconds,
                                      std::span<std::uint16_t> words);
    std::uint32_t ConfirmCommand(std::uint16_t code, std::uint32_t handle);
    // Send, and only when the send succeeded wait for the confirmation. Returns the
    // send's failure or the confirmation's result.
    std::uint32_t Exchange(CommandWords command, std::uint32_t handle);

    // Reads the diagnosis status register of the mailbox node; 0 when the call fails.
    std::uint16_t ReadStatusRegister();
    // The same with the call's result, for callers that must tell a failed read from a 0.
    std::uint32_t ReadStatusRegister(std::uint16_t& status);

    std::string MailboxNodeName() const;
    std::string DataNodeName() const;

private:
    std::string& currentIP_;
    Clock& clock_;
    CallRunner& runner_;
};

constexpr std::uint16_t SwapBytes(std::uint16_t word) {
    return static_cast<std::uint16_t>((word << 8) | (word >> 8));
}

}  // namespace korvo
