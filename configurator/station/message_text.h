#pragma once
// Texts from files and command lines as a message shows them: a NUL or a control
// byte must neither cut the message short nor reach the terminal, and a value of a
// megabyte must not become a megabyte of error line.

#include <cstddef>
#include <string>
#include <string_view>

namespace korvo {

// Bytes below 20h, 7Fh and the bytes Windows-1252 leaves undefined are written as
// "\xNN", a backslash as "\\"; a text longer than `limit` keeps its first `limit`
// bytes and is followed by "... (N characters)".
std::string MessageText(std::string_view text, std::size_t limit = 80);

}  // namespace korvo
