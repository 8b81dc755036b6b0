// Big-endian words in a process image of the simulated station, at offsets a
// catalogue or project computed: a word that does not lie wholly inside the
// image reads as 0 and is not written.
#pragma once

#include "korvo_sim/message.h"

#include <cstddef>
#include <cstdint>

namespace korvo::sim {

inline bool ImageHoldsWord(const Bytes& image, int offset) {
    return offset >= 0 && static_cast<std::size_t>(offset) + 2 <= image.size();
}

inline uint16_t ImageWord(const Bytes& image, int offset) {
    return ImageHoldsWord(image, offset) ? readBe16(image, static_cast<std::size_t>(offset)) : 0;
}

inline void PutImageWord(Bytes& image, int offset, uint16_t value) {
    if (ImageHoldsWord(image, offset)) writeBe16(image, static_cast<std::size_t>(offset), value);
}

}  // namespace korvo::sim
