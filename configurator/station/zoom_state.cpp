#include "zoom_state.h"

namespace korvo {

double ZoomState::StepSmaller() {
    if (ZoomLevel >= 3) return 1.0;
    if (ZoomLevel != 1) ZoomActive = true;
    ++ZoomLevel;
    if (ZoomLevel == 2) ZoomActive = false;
    if (ZoomLevel == 3)
        SmallerEnabled = false;
    else
        LargerEnabled = true;
    return 0.5;
}

double ZoomState::StepLarger() {
    if (ZoomLevel <= 1) return 1.0;
    if (ZoomLevel != 3) ZoomActive = true;
    --ZoomLevel;
    if (ZoomLevel == 2) ZoomActive = false;
    if (ZoomLevel == 1)
        LargerEnabled = false;
    else
        SmallerEnabled = true;
    return 2.0;
}

double ZoomState::Reset() {
    SmallerEnabled = true;
    LargerEnabled = true;
    if (!ZoomActive) return 1.0;
    const double factor = ZoomLevel == 3 ? 2.0 : 0.5;
    ZoomLevel = 2;
    ZoomActive = false;
    return factor;
}

}  // namespace korvo
