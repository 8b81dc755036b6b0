// "korvo COMMAND --help": the command's lines cut out of the overall usage
// text, so the two can never disagree.
#pragma once

#include <string>
#include <string_view>

namespace korvo {

// The usage of one command: its line of `usage` (which lists each command
// as "  NAME ..." with deeper-indented continuation lines) and its
// continuations; empty when `usage` lists no such command.
std::string CommandUsage(std::string_view usage, std::string_view command);

}  // namespace korvo
