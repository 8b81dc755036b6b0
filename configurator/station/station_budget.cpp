#include "station_budget.h"

namespace korvo {

std::string StationBudget::Text() const {
    const std::string limit = std::to_string(kProcessImageBytes);
    return "station " + std::to_string(station) + ": in " + std::to_string(in) + " / " + limit + ", out " +
           std::to_string(out) + " / " + limit + " bytes";
}

std::vector<StationBudget> StationBudgets(const StationModel& model) {
    std::vector<StationBudget> budgets;
    for (int slot = 1; slot <= model.ModuleCount; ++slot) {
        const TModul* module = model.Module(slot);
        if (module == nullptr) continue;
        if (module->IsCoupler()) {
            budgets.push_back(StationBudget{module->StationsNummmer, slot, 0, 0});
        } else if (budgets.empty()) {
            continue;
        }
        // Every module up to the next coupler takes its bytes from this image, as the
        // offsets count them (a power feed too).
        budgets.back().in += module->Input;
        budgets.back().out += module->output;
    }
    return budgets;
}

std::string BudgetsText(const std::vector<StationBudget>& budgets) {
    std::string text;
    for (const StationBudget& budget : budgets) text += (text.empty() ? "" : "; ") + budget.Text();
    return text;
}

std::optional<std::string> OverBudgetRefusal(const StationModel& model, int station) {
    for (const StationBudget& budget : StationBudgets(model)) {
        if ((station != 0 && budget.station != station) || !budget.Over()) continue;
        const std::string limit = std::to_string(kProcessImageBytes);
        return "station " + std::to_string(budget.station) + " is over its process image: in " +
               std::to_string(budget.in) + " / " + limit + ", out " + std::to_string(budget.out) + " / " + limit +
               " bytes";
    }
    return std::nullopt;
}

}  // namespace korvo
