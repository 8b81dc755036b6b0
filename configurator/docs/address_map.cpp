#include "address_map.h"

#include "docs/connection_description.h"
#include "docs/tag_names.h"
#include "station/property_call.h"
#include "station/station_model.h"

#include <algorithm>
#include <bit>
#include <optional>

namespace korvo {

namespace {

// The point descriptions of a module type, empty where the file is missing or bad;
// the first problem of the file is told to `problems`.
class Descriptions {
public:
    Descriptions(const StationModel& model, const std::string& type, std::vector<std::string>* problems)
        : problems_(problems) {
        const ConnectionRow* row = FindConnection(type);
        if (row == nullptr) return;
        try {
            file_ = ConnectionDescription::Load(DescriptionFile(model.ProgramFolder(), row->typeKey));
        } catch (const PlanError& e) {
            Tell(e.what());
        }
    }
    std::string Of(int point) {
        if (!file_) return {};
        try {
            return file_->Point(point).description;
        } catch (const PlanError& e) {
            Tell(e.what());
            return {};
        }
    }

private:
    // Modules of one type share a file, so the same problem is told once.
    void Tell(const std::string& problem) {
        if (told_ || problems_ == nullptr) return;
        told_ = true;
        if (std::find(problems_->begin(), problems_->end(), problem) == problems_->end())
            problems_->push_back(problem);
    }

    std::optional<ConnectionDescription> file_;
    std::vector<std::string>* problems_;
    bool told_ = false;
};

class ModuleEntries {
public:
    ModuleEntries(const StationModel& model, int slot, std::vector<AddressEntry>& out,
                  std::vector<std::string>* descriptionProblems = nullptr)
        : m_(*model.Module(slot)), out_(out), descriptions_(model, m_.ModulType, descriptionProblems) {
        const ConnectionRow* row = FindConnection(m_.ModulType);
        groupKey_ = row != nullptr ? row->groupKey : "";
        stationName_ = StationNameOf(model, slot);
        tags_ = TagNamesOf(model, slot);
    }

    void Add() {
        if (m_.Input > 0) {
            if (m_.ReadMethode == 1) AddBits(PointDirection::Input, 0, m_.tag_anzahl_input);
            else AddWords(PointDirection::Input);
        }
        if (m_.output > 0) {
            if (m_.WriteMethode == 1) AddBits(PointDirection::Output, m_.tag_anzahl_input, m_.tag_anzahl_output);
            else AddWords(PointDirection::Output);
        }
    }

    void AddMultiplexedChannels() {
        for (int c = 1; c <= TModul::kChannelCount; ++c) {
            AddressEntry e = Entry(PointDirection::Input, PointWidth::Word, m_.InputStart() + 2, -1);
            const int point = c - 1;
            if (point < m_.tag_anzahl_input && point < static_cast<int>(tags_.points.size())) {
                e.tag = tags_.points[static_cast<std::size_t>(point)];
                e.description = descriptions_.Of(point);
            } else {
                e.tag = WordTagName(stationName_, m_.Nummer, groupKey_, "CH" + std::to_string(c));
            }
            e.channel = true;
            out_.push_back(std::move(e));
        }
    }

private:
    AddressEntry Entry(PointDirection direction, PointWidth width, int byte, int bit) const {
        AddressEntry e;
        e.station = m_.ModulZuStations;
        e.stationName = stationName_;
        e.slot = m_.Nummer;
        e.moduleType = m_.ModulType;
        e.direction = direction;
        e.width = width;
        e.byte = byte;
        e.bit = bit;
        return e;
    }

    // Digital points follow their LED weights: the module's bytes form one big-endian
    // value, so weight 1 is bit 0 of the module's last byte.
    void AddBits(PointDirection direction, int firstPoint, int count) {
        const bool input = direction == PointDirection::Input;
        // The input LEDs read the first two input bytes only.
        const int bytes = input ? std::min(m_.Input, 2) : m_.output;
        const int start = input ? m_.InputStart() : m_.OutputStart();
        for (int i = 1; i <= count && i <= TModul::kLedCount; ++i) {
            const std::uint16_t weight = m_.LedWeight[static_cast<std::size_t>(i)];
            if (weight == 0) continue;
            const int bit = std::countr_zero(weight);
            const int fromEnd = bit / 8;
            if (fromEnd >= bytes) continue;
            AddressEntry e = Entry(direction, PointWidth::Bool, start + bytes - 1 - fromEnd, bit % 8);
            const int point = firstPoint + i - 1;
            if (point < static_cast<int>(tags_.points.size())) e.tag = tags_.points[static_cast<std::size_t>(point)];
            e.description = descriptions_.Of(point);
            out_.push_back(std::move(e));
        }
    }

    // Analog channels are one word each; where the module's points do not map one to
    // one onto its words, the words themselves are listed.
    void AddWords(PointDirection direction) {
        const bool input = direction == PointDirection::Input;
        const int words = (input ? m_.Input : m_.output) / 2;
        const int start = input ? m_.InputStart() : m_.OutputStart();
        const int points = input ? m_.tag_anzahl_input : m_.tag_anzahl_output;
        const int firstPoint = input ? 0 : m_.tag_anzahl_input;
        const int parameters = static_cast<int>(tags_.parameters.size());
        // Multiplexed and command-driven modules (counter, multi-channel temperature)
        // carry requests and answers in their words, not one point per word.
        const bool record = m_.WriteMethode == 4 || m_.WriteMethode == 5;
        for (int k = 1; k <= words; ++k) {
            AddressEntry e = Entry(direction, PointWidth::Word, start + 2 * (k - 1), -1);
            const int point = firstPoint + k - 1;
            if (!record && points == words && point < static_cast<int>(tags_.points.size())) {
                e.tag = tags_.points[static_cast<std::size_t>(point)];
                e.description = descriptions_.Of(point);
                e.channel = true;
            } else if (!input && m_.WriteMethode == 2 && parameters == words) {
                // The analog pair writes its parameter words into the output image.
                e.tag = tags_.parameters[static_cast<std::size_t>(k - 1)];
                e.description = m_.ParameterComment[static_cast<std::size_t>(k)];
            } else {
                e.tag = WordTagName(stationName_, m_.Nummer, groupKey_, (input ? "IW" : "QW") + std::to_string(k));
                e.description = std::string(input ? "input" : "output") + " word " + std::to_string(k) + " of " +
                                m_.ModulType;
            }
            out_.push_back(std::move(e));
        }
    }

    const TModul& m_;
    std::vector<AddressEntry>& out_;
    Descriptions descriptions_;
    std::string groupKey_;
    std::string stationName_;
    ModuleTags tags_;
};

}  // namespace

std::vector<AddressEntry> BuildAddressMap(const StationModel& model, int station,
                                          std::vector<std::string>* descriptionProblems) {
    std::vector<AddressEntry> entries;
    for (int slot = 1; slot <= model.ModuleCount; ++slot) {
        const TModul* m = model.Module(slot);
        if (m == nullptr || m->IsCoupler()) continue;
        const int link = m->ModulZuStations;
        if (link <= 0 || link == StationModel::kPowerFeedLink) continue;
        if (station > 0 && link != station) continue;
        ModuleEntries(model, slot, entries, descriptionProblems).Add();
    }
    return entries;
}

std::vector<AddressEntry> MultiplexedChannels(const StationModel& model, int slot) {
    std::vector<AddressEntry> entries;
    const TModul* m = model.Module(slot);
    // The channel value is the module's second input word.
    if (m != nullptr && !m->IsCoupler() && m->ReadMethode == 3 && m->Input >= 4)
        ModuleEntries(model, slot, entries).AddMultiplexedChannels();
    return entries;
}

const char* DirectionName(PointDirection direction) {
    return direction == PointDirection::Input ? "input" : "output";
}

const char* WidthName(PointWidth width) { return width == PointWidth::Bool ? "BOOL" : "WORD"; }

}  // namespace korvo
