#pragma once
// Diagnostic reports in measured words: a word whose value is an error code is shown
// as the code's text in the channel's red error label.

#include <cstdint>
#include <string>

namespace korvo {

// The text of the code equal to the value; empty when the value is no error code.
std::string ExactErrorText(std::uint16_t value);
// Every code whose bits are all set in the value writes its text in table order, so
// the last such code wins; empty when none matches.
std::string BitErrorText(std::uint16_t value);
// The error byte of a multi-channel temperature channel carries the low byte of the
// codes; bit matching as above, empty for 0.
std::string ErrorByteText(std::uint8_t error);
// Bit matching against the analog output modules' own table.
std::string OutputErrorText(std::uint16_t value);

}  // namespace korvo
