#pragma once
// The rule by which a dialog sets an option group from a stored field: in ascending
// order of the codes, an option qualifies when all bits of its code are set in the
// field, and the last one that qualifies is selected. A code the dialog writes thus
// selects its own option; a code it never writes selects the highest code whose bits
// the field contains.

#include <cstdint>
#include <span>

namespace korvo {

// Index of the selected option among codes given in ascending order; -1 when none
// qualifies (only possible for a group without a code 0).
int SelectByBits(std::span<const std::uint16_t> ascendingCodes, std::uint32_t field);

}  // namespace korvo
