#pragma once
// The diagnostic codes an analog or temperature module sends in place of a measured
// value, and the two ways the dialogs turn a value into the red error text.

#include <cstdint>
#include <string>

namespace korvo {

// The text of the code equal to the value; empty when the value is no such code.
std::string ErrorTextExact(std::uint16_t value);

// Every code whose bits are all set in the value writes its text in table order, so
// the last one wins; empty when none is contained.
std::string ErrorTextBitMatched(std::uint16_t value);

}  // namespace korvo
