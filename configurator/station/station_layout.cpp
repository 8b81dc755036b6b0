#include "station_layout.h"

#include "catalogue.h"
#include "station_model.h"

#include <cstdio>

namespace korvo {

Arrangement ArrangeModules(const StationModel& model, int count, int modulesPerRow) {
    Arrangement result;
    if (modulesPerRow < 1) modulesPerRow = 1;
    if (count < 0) count = 0;
    result.RowCount = count / modulesPerRow + (count % modulesPerRow != 0 ? 1 : 0);
    int top = kViewMargin;
    int slot = 1;
    for (int row = 0; row < result.RowCount; ++row) {
        int left = kViewMargin;
        for (int k = 0; k < modulesPerRow && slot <= count; ++k) {
            const TModul* m = model.Module(slot);
            if (m == nullptr) break;
            if ((m->ModulType == kCouplerType && m->StationsNummmer > 1) ||
                m->ModulType == kPassiveRowBreakType) {
                top += kModuleHeight;
                left = kViewMargin;
            }
            result.panels.push_back(PanelRect{left, top, m->breite, kModuleHeight});
            left += m->breite + kPanelGap;
            ++slot;
        }
        top += kModuleHeight;
    }
    return result;
}

std::array<LedPlacement, TModul::kLedCount + 1> LayoutLeds(const TModul& module) {
    std::array<LedPlacement, TModul::kLedCount + 1> leds{};
    const int columns = module.slots > 4 ? 4 : module.slots;
    for (int s = 0; s < 4; ++s) {
        for (int r = 0; r < 4; ++r) {
            const int top = 14 + 9 * r;
            const int left = 8 * s + 2 * r + 1;
            const int right = left + 1;
            leds[static_cast<std::size_t>(left)].rect =
                PanelRect{7 + kColumnWidth * s, top, kLedSize, kLedSize};
            leds[static_cast<std::size_t>(right)].rect =
                PanelRect{16 + kColumnWidth * s, top, kLedSize, kLedSize};
            if (s < columns) {
                leds[static_cast<std::size_t>(left)].visible =
                    module.LedWeight[static_cast<std::size_t>(left)] != 0;
                leds[static_cast<std::size_t>(right)].visible =
                    module.LedWeight[static_cast<std::size_t>(right)] != 0;
            }
        }
    }
    return leds;
}

std::string LedName(int slot, int led) {
    char name[32];
    std::snprintf(name, sizeof name, "a%02X%d", static_cast<unsigned>(slot & 0xFF), led);
    return name;
}

int SlotFromLedName(const std::string& name) {
    if (name.size() < 4 || name[0] != 'a') return 0;
    int slot = 0;
    for (int i = 1; i <= 2; ++i) {
        const char c = name[static_cast<std::size_t>(i)];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return 0;
        slot = slot * 16 + digit;
    }
    return slot;
}

}  // namespace korvo
