#pragma once
// Geometry of the station view at normal size: where each module's panel and each of
// its LEDs stand. The view draws what these functions compute.

#include "module.h"

#include <array>
#include <string>
#include <vector>

namespace korvo {

class StationModel;

struct PanelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline constexpr int kModuleHeight = 90;
inline constexpr int kColumnWidth = 30;
inline constexpr int kViewMargin = 10;
inline constexpr int kPanelGap = 3;
inline constexpr int kLedSize = 8;
inline constexpr int kOnlineLedSize = 12;
inline constexpr int kModulesPerRowHorizontal = 100;
inline constexpr int kModulesPerRowVertical = 1;

struct Arrangement {
    std::vector<PanelRect> panels;  // panels[i] belongs to slot i + 1
    int RowCount = 0;
};

// Panels of slots 1..count: side by side from (10, 10), a new row for every coupler
// behind the first one, for every "KORVO PB", and after modulesPerRow modules.
Arrangement ArrangeModules(const StationModel& model, int count, int modulesPerRow);

struct LedPlacement {
    PanelRect rect;
    bool visible = false;
};

// LED positions 1..32 on the module's panel (entry 0 unused); LEDs with weight 0 or in
// a column beyond the module's width stay hidden.
std::array<LedPlacement, TModul::kLedCount + 1> LayoutLeds(const TModul& module);

// "a" + slot as two upper-case hexadecimal digits + LED number, e.g. "a0A12".
std::string LedName(int slot, int led);
// The slot encoded in an LED name, 0 when the name is not one.
int SlotFromLedName(const std::string& name);

}  // namespace korvo
