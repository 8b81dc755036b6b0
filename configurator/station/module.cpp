#include "module.h"

#include <algorithm>

namespace korvo {

int TModul::CommentCount() const {
    const long sum = static_cast<long>(Parameter_input) + static_cast<long>(Parameter_output);
    return static_cast<int>(std::clamp(sum, 0L, static_cast<long>(kCommentCount)));
}

}  // namespace korvo
