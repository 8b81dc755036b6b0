#include "korvo_ct_1.h"

#include "engineering_value.h"

#include "station/message_text.h"
#include "../station/station_model.h"
#include "../station/versch.h"

#include <cstdio>
#include <stdexcept>

namespace korvo {

namespace {

constexpr std::uint16_t kEventBase = 0x1400;
constexpr std::uint16_t kTimeBase = 0x1000;
constexpr std::uint16_t kFirstStateWord = 0x13FC;
constexpr std::uint16_t kDefaultWord = 0x1401;
constexpr int kShortestGate = 1;
constexpr int kLongestGate = 1000;
constexpr int kFallbackGate = 10;
constexpr const char* kStartGateTime = "100";

constexpr CounterOption kOptions[] = {
    {1, CounterGroup::Continuation, 0x00, "einmalig", " recurring     ; "},
    {2, CounterGroup::Continuation, 0x80, "st\xE4ndig", " nonrecurring  ; "},
    {3, CounterGroup::Gate, 0x10, "high pegel", " high pegel   ;"},
    {4, CounterGroup::Gate, 0x20, "low pegel", " low pegel    ;"},
    {5, CounterGroup::Gate, 0x30, "start rising", " start rising ;"},
    {6, CounterGroup::Gate, 0x40, "start falling", " start falling;"},
    {7, CounterGroup::Gate, 0x70, "reset falling/high pegel", " reset falling;"},
    {8, CounterGroup::Output, 1, "high puls", " Output : high puls"},
    {9, CounterGroup::Output, 2, "low puls", " Output : low puls"},
    {10, CounterGroup::Output, 3, "toggle (l)", " Output : toggle (l)"},
    {11, CounterGroup::Output, 4, "toggle (h)", " Output : toggle (h)"},
    {12, CounterGroup::Output, 5, "high", " Output : high"},
    {13, CounterGroup::Output, 6, "low", " Output : low"},
    {14, CounterGroup::StateGate, 0x13FC, "high pegel", " high pegel"},
    {15, CounterGroup::StateGate, 0x13FD, "low pegel", " low pegel"},
    {16, CounterGroup::StateGate, 0x13FE, "start rising", " start rising"},
    {17, CounterGroup::StateGate, 0x13FF, "start falling", " start falling"},
    {18, CounterGroup::Direction, 0x00, "downward", " direction : downward; "},
    {19, CounterGroup::Direction, 0x08, "upward", " direction : upward; "},
};

// The bits of W each event-counter field occupies.
constexpr std::uint16_t FieldMask(CounterGroup group) {
    switch (group) {
        case CounterGroup::Continuation: return 0x80;
        case CounterGroup::Gate: return 0x70;
        case CounterGroup::Output: return 0x07;
        case CounterGroup::Direction: return 0x08;
        default: return 0;
    }
}

// The mode buttons in the window's order, as the headless face lists them.
constexpr struct {
    CounterMode mode;
    const char* caption;
} kModes[] = {
    {CounterMode::EventCounter, "event counter"},
    {CounterMode::TimeFrequency, "time controlled frequenz"},
    {CounterMode::StateFrequency, "state controlled frequenz"},
};

// The option groups of the headless face after "mode".
constexpr CounterGroup kFaceGroups[] = {CounterGroup::Continuation, CounterGroup::Gate, CounterGroup::Output,
                                        CounterGroup::Direction, CounterGroup::StateGate};

const CounterOption* FindOption(int tag) {
    if (tag < 1 || tag > static_cast<int>(std::size(kOptions))) return nullptr;
    return &kOptions[tag - 1];
}

std::uint16_t WordFromText(const std::string& text) {
    const std::int32_t value = StrToInt(text);
    if (value < 0 || value > 0xFFFF) throw ConversionError(MessageText(text) + " is not a value in 0..65535");
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::span<const CounterOption> CounterOptions() {
    return kOptions;
}

const char* CounterGroupCaption(CounterGroup group) {
    switch (group) {
        case CounterGroup::Continuation: return "continuation counter";
        case CounterGroup::Gate: return "Gate";
        case CounterGroup::Output: return "output";
        case CounterGroup::StateGate: return "Gate";
        case CounterGroup::Direction: return "direction";
        case CounterGroup::TimeFrequency: return "time controlled frequenz";
    }
    return "";
}

namespace Korvo_CT_1 {

void Dialog::FormShow(const StationModel& model) {
    if (model.CurrentModule != edited_) gateTime_ = kStartGateTime;
    edited_ = model.CurrentModule;
    configValue_ = "0";
    counterValue_ = "0";
    counterUnit_.clear();
}

void Dialog::FormActivate(StationModel& model) {
    TModul* counter = ModuleOfType(model, edited_, kTypeName);
    if (counter != nullptr) {
        std::string list = counter->Parameter;
        std::string item;
        NextItemTrimmed(list, ',', item);
        w_ = counter->Parameter.empty() ? 0 : WordFromText(item);
    }
    if (w_ == 0) w_ = kDefaultWord;

    if (w_ > kEventBase) {
        mode_ = CounterMode::EventCounter;
        EnableOnly({CounterGroup::Continuation, CounterGroup::Gate, CounterGroup::Output});
    } else if (w_ >= kFirstStateWord) {
        mode_ = CounterMode::StateFrequency;
        EnableOnly({CounterGroup::StateGate});
    } else if (w_ > kTimeBase) {
        // The field's change handler runs first, with the mode that was down before.
        Edit1Change(std::to_string(w_ - kTimeBase));
        mode_ = CounterMode::TimeFrequency;
        // A stored gate time above 1000 shows as 10; the word must say the same, or
        // the module would get a word it does not know and the comment another time.
        w_ = static_cast<std::uint16_t>(kTimeBase + StrToInt(gateTime_));
        EnableOnly({CounterGroup::TimeFrequency});
    }
    SelectOptionsFromW();
    if (counter != nullptr) counter->ParameterComment[1] = Comment();
}

void Dialog::SelectOptionsFromW() {
    for (int group = 0; group < kCounterGroupCount; ++group) selected_[group] = 0;
    for (const CounterOption& option : kOptions) {
        if ((w_ & option.value) == option.value) selected_[static_cast<int>(option.group)] = option.tag;
    }
}

void Dialog::EnableOnly(std::initializer_list<CounterGroup> groups) {
    for (CounterGroup group : {CounterGroup::Continuation, CounterGroup::Gate, CounterGroup::Output,
                               CounterGroup::StateGate, CounterGroup::TimeFrequency}) {
        enabled_[static_cast<int>(group)] = false;
    }
    for (CounterGroup group : groups) enabled_[static_cast<int>(group)] = true;
    enabled_[static_cast<int>(CounterGroup::Direction)] = true;
}

std::uint16_t Dialog::SelectedValue(CounterGroup group) const {
    const CounterOption* option = FindOption(SelectedTag(group));
    return option != nullptr ? option->value : 0;
}

void Dialog::OptionClick(int tag) {
    const CounterOption* option = FindOption(tag);
    if (option == nullptr) return;
    selected_[static_cast<int>(option->group)] = tag;
    const bool stateGate = option->group == CounterGroup::StateGate;
    if (mode_ == CounterMode::EventCounter) {
        // The four fields fill the low byte; a state gate option replaces none of them.
        const std::uint16_t mask = FieldMask(option->group);
        const auto fields = static_cast<std::uint16_t>(w_ & 0xFF & ~mask);
        w_ = static_cast<std::uint16_t>(kEventBase + fields + (stateGate ? 0 : option->value));
    } else if (mode_ == CounterMode::StateFrequency && stateGate) {
        w_ = option->value;
    }
}

void Dialog::ModeButtonClick(CounterMode button) {
    const CounterMode after = mode_ == button ? CounterMode::None : button;
    switch (button) {
        case CounterMode::EventCounter:
            // A group without a selection keeps its field at 0.
            w_ = static_cast<std::uint16_t>(
                kEventBase + SelectedValue(CounterGroup::Continuation) + SelectedValue(CounterGroup::Gate) +
                SelectedValue(CounterGroup::Output) + SelectedValue(CounterGroup::Direction));
            EnableOnly({CounterGroup::Continuation, CounterGroup::Gate, CounterGroup::Output});
            break;
        case CounterMode::TimeFrequency:
            w_ = static_cast<std::uint16_t>(kTimeBase + WordFromText(gateTime_));
            EnableOnly({CounterGroup::TimeFrequency});
            break;
        case CounterMode::StateFrequency:
            if (SelectedTag(CounterGroup::StateGate) != 0) w_ = SelectedValue(CounterGroup::StateGate);
            EnableOnly({CounterGroup::StateGate});
            break;
        case CounterMode::None: return;
    }
    mode_ = after;
}

void Dialog::Edit1Change(const std::string& text) {
    gateTime_ = text;
    std::int32_t v = StrToInt(text);
    if (v < kShortestGate || v > kLongestGate) v = kFallbackGate;
    // Writing the corrected text back runs this handler once more, with the same result.
    gateTime_ = std::to_string(v);
    if (mode_ == CounterMode::TimeFrequency) w_ = static_cast<std::uint16_t>(kTimeBase + v);
}

std::string Dialog::Comment() const {
    if (w_ > kEventBase) {
        std::string comment = "event counter : ";
        for (CounterGroup group : {CounterGroup::Continuation, CounterGroup::Gate, CounterGroup::Output,
                                   CounterGroup::Direction}) {
            if (const CounterOption* option = FindOption(SelectedTag(group))) comment += option->comment;
        }
        return comment;
    }
    if (w_ >= kFirstStateWord) {
        const CounterOption* option = FindOption(SelectedTag(CounterGroup::StateGate));
        return std::string("frequenz state controll :  : ") + (option != nullptr ? option->comment : "");
    }
    return "frequenz time controll :  : " + gateTime_ + " 1/100 [sec]";
}

void Dialog::SaveConfiguration(StationModel& model) {
    TModul* counter = ModuleOfType(model, edited_, kTypeName);
    if (counter == nullptr) return;
    counter->ParameterComment[1] = Comment();
    counter->Parameter = std::to_string(w_) + ",0";
    SetCommand(model, w_, 0);
}

void Dialog::SetCommand(StationModel& model, std::uint16_t command, std::uint16_t value) {
    TModul* counter = ModuleOfType(model, edited_, kTypeName);
    if (counter == nullptr) return;
    counter->OutputData = std::to_string(command >> 8) + "," + std::to_string(command & 0xFF) + "," +
                          std::to_string(value >> 8) + "," + std::to_string(value & 0xFF);
}

void Dialog::SendCommand(StationModel& model, CounterCommand command) {
    switch (command) {
        case CounterCommand::Start: SetCommand(model, 0x2400, 0); break;
        case CounterCommand::Stop: SetCommand(model, 0x2000, 0); break;
        case CounterCommand::Reset: SetCommand(model, 0x2800, 0); break;
        case CounterCommand::Read: SetCommand(model, 0, 0); break;
    }
}

void Dialog::SendStartValue(StationModel& model, const std::string& text) {
    SetCommand(model, 0x4000, WordFromText(text));
}

void Dialog::SendEndValue(StationModel& model, const std::string& text) {
    SetCommand(model, 0x5000, WordFromText(text));
}

bool Dialog::ShowInputWords(const StationModel& model) {
    const TModul* counter = ModuleOfType(model, edited_, kTypeName);
    if (counter == nullptr || counter->InputData.empty()) return false;
    std::string list = counter->InputData;
    int bytes[4] = {};
    for (int& byte : bytes) {
        std::string item;
        NextItem(list, ',', item);
        std::int32_t value = 0;
        if (!TryStrToInt(item, value) || value < 0 || value > 0xFF) return false;
        byte = value;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", bytes[0] * 256 + bytes[1]);
    configValue_ = hex;
    const EngineeringValue counted =
        ToEngineering(CounterScale(), static_cast<std::uint16_t>(bytes[2] * 256 + bytes[3]));
    counterValue_ = counted.WordText();
    counterUnit_ = counted.ValueText();
    return true;
}

std::vector<CounterGroup> Dialog::EnabledFaceGroups() const {
    std::vector<CounterGroup> groups;
    for (CounterGroup group : kFaceGroups) {
        if (GroupEnabled(group)) groups.push_back(group);
    }
    return groups;
}

void Dialog::Open(StationModel& model, int slot) {
    if (slot != edited_) gateTime_ = kStartGateTime;
    edited_ = slot;
    FormActivate(model);
}

DialogChannel Dialog::Channel(int) const {
    DialogChannel channel;
    channel.channel = 1;
    channel.word = w_;
    DialogGroup modes{kModeGroup, {}, -1};
    for (std::size_t i = 0; i < std::size(kModes); ++i) {
        modes.options.emplace_back(kModes[i].caption);
        if (kModes[i].mode == mode_) modes.selected = static_cast<int>(i);
    }
    channel.groups.push_back(modes);
    for (CounterGroup group : EnabledFaceGroups()) {
        DialogGroup shown{CounterGroupCaption(group), {}, -1};
        for (const CounterOption& option : kOptions) {
            if (option.group != group) continue;
            if (option.tag == SelectedTag(group)) shown.selected = static_cast<int>(shown.options.size());
            shown.options.emplace_back(option.caption);
        }
        channel.groups.push_back(shown);
    }
    channel.comment = Comment();
    channel.values.push_back({kGateTimeValue, gateTime_});
    return channel;
}

void Dialog::Click(StationModel&, int, int group, int option) {
    if (group == 0) {
        if (option < 0 || option >= static_cast<int>(std::size(kModes))) return;
        const CounterMode mode = kModes[option].mode;
        if (mode != mode_) ModeButtonClick(mode);
        return;
    }
    const std::vector<CounterGroup> groups = EnabledFaceGroups();
    if (group < 1 || group > static_cast<int>(groups.size())) return;
    int index = 0;
    for (const CounterOption& candidate : kOptions) {
        if (candidate.group != groups[static_cast<std::size_t>(group - 1)]) continue;
        if (index++ == option) {
            OptionClick(candidate.tag);
            return;
        }
    }
}

ValueOutcome Dialog::ApplyValues(StationModel&, const std::vector<ValueSetting>& values) {
    ValueOutcome outcome;
    for (const ValueSetting& value : values) {
        if (value.name != kGateTimeValue) {
            throw std::invalid_argument("the dialog of " + TypeName() + " has no field \"" + value.name +
                                        "\"");
        }
        const std::int32_t typed = StrToInt(value.text);
        Edit1Change(value.text);
        if (typed < kShortestGate || typed > kLongestGate) {
            outcome.inRange = false;
            outcome.message =
                "gate time " + value.text + " lies outside 1..1000; the field holds " + gateTime_;
        } else {
            outcome.message = "gate time " + gateTime_ + " (1/100 s)";
        }
    }
    return outcome;
}

}  // namespace Korvo_CT_1
}  // namespace korvo
