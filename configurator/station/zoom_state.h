#pragma once
// Zoom levels of the station view: 1 (double size), 2 (normal) and 3 (half size), and
// which of the two zoom steps may be used.

namespace korvo {

class ZoomState {
public:
    int ZoomLevel = 2;
    bool ZoomActive = false;
    bool SmallerEnabled = true;  // button ToolZoom, menu item "zoom in"
    bool LargerEnabled = true;   // button ToolZoomReset, menu item "zoom out"

    // Each returns the factor the view's contents are scaled by (1 when nothing changes).
    double StepSmaller();
    double StepLarger();
    double Reset();
};

}  // namespace korvo
