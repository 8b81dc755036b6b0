#pragma once
// The command messages the configurator sends to the coupler's firmware: word 0 is
// the command code, word 1 the number of parameter words, then the parameters. The
// confirmation carries the code with bit 15 set; its word 2 is the result.

#include <cstdint>
#include <span>

namespace korvo {

using CommandWords = std::span<const std::uint16_t>;

inline constexpr std::uint16_t kCmdReadConfigurationWords[] = {0x030B, 0x0001, 0x0003};
inline constexpr std::uint16_t kCmdPlugPlayOnWords[] = {0x0750, 0x0003, 0x0001, 0x2240, 0x0001};
inline constexpr std::uint16_t kCmdPlugPlayOffWords[] = {0x0750, 0x0003, 0x0001, 0x2240, 0x0000};
inline constexpr std::uint16_t kCmdVar2275OnWords[] = {0x0750, 0x0003, 0x0001, 0x2275, 0x0001};
inline constexpr std::uint16_t kCmdVar2275OffWords[] = {0x0750, 0x0003, 0x0001, 0x2275, 0x0000};
inline constexpr std::uint16_t kCmdVar2293OffWords[] = {0x0750, 0x0003, 0x0001, 0x2293, 0x0000};
inline constexpr std::uint16_t kCmdBootpOnWords[] = {0x0750, 0x0003, 0x0001, 0x2295, 0x0001};
inline constexpr std::uint16_t kCmdBootpOffWords[] = {0x0750, 0x0003, 0x0001, 0x2295, 0x0000};
inline constexpr std::uint16_t kCmd1303Words[] = {0x1303, 0x0000};
inline constexpr std::uint16_t kCmd0710Words[] = {0x0710, 0x0001, 0x0001};
inline constexpr std::uint16_t kCmd0701Words[] = {0x0701, 0x0000};
inline constexpr std::uint16_t kCmdRestartWords[] = {0x0956, 0x0001, 0x0000};

inline constexpr CommandWords CmdReadConfiguration{kCmdReadConfigurationWords};
inline constexpr CommandWords CmdPlugPlayOn{kCmdPlugPlayOnWords};
inline constexpr CommandWords CmdPlugPlayOff{kCmdPlugPlayOffWords};
inline constexpr CommandWords CmdVar2275On{kCmdVar2275OnWords};
inline constexpr CommandWords CmdVar2275Off{kCmdVar2275OffWords};
inline constexpr CommandWords CmdVar2293Off{kCmdVar2293OffWords};
inline constexpr CommandWords CmdBootpOn{kCmdBootpOnWords};
inline constexpr CommandWords CmdBootpOff{kCmdBootpOffWords};
inline constexpr CommandWords Cmd1303{kCmd1303Words};
inline constexpr CommandWords Cmd0710{kCmd0710Words};
inline constexpr CommandWords Cmd0701{kCmd0701Words};
inline constexpr CommandWords CmdRestart{kCmdRestartWords};

// The confirmation code the controller answers a command with.
constexpr std::uint16_t ConfirmationCode(CommandWords command) {
    return static_cast<std::uint16_t>(command[0] + 0x8000);
}

}  // namespace korvo
