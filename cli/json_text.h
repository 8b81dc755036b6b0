#pragma once
// JSON string literals of the model's Windows-1252 texts, for the --json outputs.

#include <string>

namespace korvo {

// The text as a quoted JSON string in UTF-8, control characters escaped.
std::string JsonString(const std::string& cp1252);

}  // namespace korvo
