#pragma once
// The face every module properties dialog shows outside its window: to `korvo module`,
// to tests and to any other headless user. Each module type's logic class implements
// it; the type's window binds the same class to its controls, so both faces run the
// same code.
//
// Usage:
//   std::unique_ptr<ModuleDialog> dialog = MakeModuleDialog(module.ModulType);
//   dialog->Open(model, slot);                  // as showing and activating the window
//   const DialogChannel shown = dialog->Channel(1);
//   const OptionMatch match = FindOption(shown, "no filter");
//   if (match.result == OptionMatch::Found)
//       dialog->Click(model, 1, match.group, match.option);   // as a click on it
//   dialog->Save(model);                        // "Save Configuration" before the
//                                               // automatic save of "korvo.ini"
// Dialogs with fields besides their options (an output value, a gate time) name them
// in ValueNames() and take them through ApplyValues(); `korvo module` takes each as
// --NAME TEXT, the first one also as --value TEXT.
//
// A new type derives from ModuleDialog and adds one line to module_dialog_registry.cpp.

#include "engineering_value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

class StationModel;
struct TModul;

// One option group of a channel as the window shows it.
struct DialogGroup {
    std::string caption;               // the group's caption, blanks trimmed
    std::vector<std::string> options;  // option captions exactly as shown
    int selected = -1;                 // index into options; -1 when none is selected
};

// A field of the dialog besides its options, by the name ValueNames() gives.
struct DialogValue {
    std::string name;
    std::string text;
};

// One channel as the dialog shows it after opening (or after the clicks made since).
struct DialogChannel {
    int channel = 0;                   // 1-based
    std::optional<std::int32_t> word;  // parameter word or sensor code; none for types without
    std::vector<DialogGroup> groups;
    std::string comment;  // the comment the dialog builds for the channel on loading
    std::vector<DialogValue> values;
};

// A value typed into a field: channel (1-based), field name, text as typed.
struct ValueSetting {
    int channel = 1;
    std::string name;
    std::string text;
};

struct ValueOutcome {
    // False when a value lay outside its range: its field then holds the violated
    // limit and nothing was sent.
    bool inRange = true;
    // One line for the user: what was sent, or which field took which limit.
    std::string message;
};

class ModuleDialog {
public:
    virtual ~ModuleDialog() = default;

    // The module type the dialog belongs to, e.g. "KORVO AI 2".
    virtual std::string TypeName() const = 0;
    virtual int ChannelCount() const = 0;

    // Takes the module in the slot as the edited module and loads it as showing and
    // activating the window do; no timer starts. Throws ConversionError (versch.h)
    // on a malformed Parameter, leaving the module record as it was.
    virtual void Open(StationModel& model, int slot) = 0;
    // Channel 1..ChannelCount() as the window shows it.
    virtual DialogChannel Channel(int channel) const = 0;
    // A click on an option, with everything such a click writes into the module.
    // group and option index DialogChannel::groups and DialogGroup::options.
    virtual void Click(StationModel& model, int channel, int group, int option) = 0;
    // "Save Configuration" into the module record (Parameter, the comments the
    // button rebuilds); the caller saves the station file. Dialogs without that
    // button (the analog outputs) say so and do nothing.
    virtual bool HasSave() const { return true; }
    virtual void Save(StationModel& model) = 0;

    // Fields besides the options, named as the command-line flags without "--"
    // (e.g. "value"); empty for most types.
    virtual std::vector<std::string> ValueNames() const { return {}; }
    // Types the texts into their fields in order, then presses the button that sends
    // them, if the dialog has one. Throws ConversionError on a text that is no number.
    virtual ValueOutcome ApplyValues(StationModel& model, const std::vector<ValueSetting>& values);

    // How a channel's measured word reads in engineering units with the channel's
    // parameter word as the dialog shows it; none for types that measure nothing.
    virtual std::optional<WordScale> MeasuredScale(const StationModel& /*model*/, int /*channel*/) const {
        return std::nullopt;
    }
    // The analog outputs: their channels put out a value OutputValue tells.
    virtual bool HasOutputValues() const { return false; }
    // The value a channel's output data stand for; none for types without analog
    // outputs and while nothing was sent.
    virtual std::optional<EngineeringValue> OutputValue(const StationModel& /*model*/,
                                                        int /*channel*/) const {
        return std::nullopt;
    }
};

// The module in the slot when it is of the given type, else null. After deletions
// and moves a dialog's slot may hold another module, which it must never write into.
TModul* ModuleOfType(StationModel& model, int slot, const std::string& type);
const TModul* ModuleOfType(const StationModel& model, int slot, const std::string& type);

// Looks an option up by its caption among all groups of a channel; captions compare
// with blanks at both ends trimmed.
struct OptionMatch {
    enum Result { Found, Unknown, Ambiguous };
    Result result = Unknown;
    int group = -1;
    int option = -1;
};
OptionMatch FindOption(const DialogChannel& channel, const std::string& caption);

// The trimmed captions of all options of a channel, for error messages.
std::vector<std::string> OptionCaptions(const DialogChannel& channel);

}  // namespace korvo
