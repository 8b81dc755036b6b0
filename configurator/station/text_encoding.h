#pragma once
// Model texts are single-byte Windows-1252; terminals, JSON and the GUI want UTF-8.

#include <string>
#include <string_view>

namespace korvo {

std::string Cp1252ToUtf8(std::string_view text);
// The way back: characters Windows-1252 cannot hold, and broken UTF-8 sequences, become "?".
std::string Utf8ToCp1252(std::string_view text);

}  // namespace korvo
