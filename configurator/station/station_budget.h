#pragma once
// How many bytes of its process image each station uses: the coupler holds 512 input
// and 512 output bytes, and modules beyond them have no address the coupler can give.

#include "station_model.h"

#include <optional>
#include <string>
#include <vector>

namespace korvo {

inline constexpr int kProcessImageBytes = 512;

struct StationBudget {
    int station = 0;  // StationsNummmer of its coupler
    int coupler = 0;  // slot
    int in = 0;       // bytes used
    int out = 0;

    bool Over() const { return in > kProcessImageBytes || out > kProcessImageBytes; }
    // "station 1: in 38 / 512, out 12 / 512 bytes"
    std::string Text() const;
};

// One entry per coupler in slot order; modules in front of the first coupler belong
// to no station's image.
std::vector<StationBudget> StationBudgets(const StationModel& model);

// The budgets as the status bar shows them, joined by "; ".
std::string BudgetsText(const std::vector<StationBudget>& budgets);

// The one-line refusal of a document or an online command for a station that holds
// more bytes than its image ("station 2 is over its process image: in 566 / 512, out
// 12 / 512 bytes"); station 0 checks all. Nothing when every checked station fits.
std::optional<std::string> OverBudgetRefusal(const StationModel& model, int station);

}  // namespace korvo
