#include "option_rule.h"

namespace korvo {

int SelectByBits(std::span<const std::uint16_t> ascendingCodes, std::uint32_t field) {
    int selected = -1;
    for (std::size_t i = 0; i < ascendingCodes.size(); ++i) {
        if ((field & ascendingCodes[i]) == ascendingCodes[i]) selected = static_cast<int>(i);
    }
    return selected;
}

}  // namespace korvo
