#include "module_dialog.h"

#include "station/station_model.h"
#include "station/versch.h"

#include <stdexcept>

namespace korvo {

ValueOutcome ModuleDialog::ApplyValues(StationModel&, const std::vector<ValueSetting>& values) {
    if (!values.empty()) throw std::invalid_argument("the dialog of " + TypeName() + " has no value fields");
    return {};
}

TModul* ModuleOfType(StationModel& model, int slot, const std::string& type) {
    TModul* module = model.Module(slot);
    return module != nullptr && module->ModulType == type ? module : nullptr;
}

const TModul* ModuleOfType(const StationModel& model, int slot, const std::string& type) {
    const TModul* module = model.Module(slot);
    return module != nullptr && module->ModulType == type ? module : nullptr;
}

OptionMatch FindOption(const DialogChannel& channel, const std::string& caption) {
    std::string wanted = caption;
    TrimBlanks(wanted);
    OptionMatch match;
    for (std::size_t g = 0; g < channel.groups.size(); ++g) {
        const std::vector<std::string>& options = channel.groups[g].options;
        for (std::size_t o = 0; o < options.size(); ++o) {
            std::string shown = options[o];
            TrimBlanks(shown);
            if (shown != wanted) continue;
            if (match.result == OptionMatch::Found) {
                match.result = OptionMatch::Ambiguous;
                return match;
            }
            match.result = OptionMatch::Found;
            match.group = static_cast<int>(g);
            match.option = static_cast<int>(o);
        }
    }
    return match;
}

std::vector<std::string> OptionCaptions(const DialogChannel& channel) {
    std::vector<std::string> captions;
    for (const DialogGroup& group : channel.groups) {
        for (std::string caption : group.options) {
            TrimBlanks(caption);
            captions.push_back(caption);
        }
    }
    return captions;
}

}  // namespace korvo
