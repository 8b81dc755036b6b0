#include "catalogue.h"

namespace korvo {

int CatalogueList::FindByCodes(std::uint8_t idCode, std::uint8_t lengthCode) const {
    for (int i = 1; i < CatalogueTypeCount; ++i) {
        const TAlleModule& entry = CatalogueTypes[static_cast<std::size_t>(i)];
        if (entry.idCode == idCode && entry.lengthCode == lengthCode) return i;
    }
    return 0;
}

CatalogueList ReadCatalogueList(const ProfileFile& catalogue) {
    CatalogueList list;
    for (const std::string& name : catalogue.SectionNames()) {
        const bool separator = name == kSeparatorLine;
        if (list.lines.size() >= CatalogueList::kMaxLines ||
            (!separator && list.TypeEntryCount() >= static_cast<int>(CatalogueList::kMaxTypes))) {
            list.droppedSections.push_back(name);
            continue;
        }
        list.lines.push_back(name);
        list.FontColors.push_back(static_cast<std::uint32_t>(catalogue.ReadInteger(name, "fontcolor", 0)));
        if (separator) continue;
        TAlleModule entry;
        entry.name = name;
        entry.idCode = static_cast<std::uint8_t>(catalogue.ReadInteger(name, "id_code", 0));
        entry.lengthCode = static_cast<std::uint8_t>(catalogue.ReadInteger(name, "lenght_code", 0));
        list.CatalogueTypes.push_back(std::move(entry));
        ++list.CatalogueTypeCount;
    }
    return list;
}

std::string DroppedSectionsMessage(const CatalogueList& list) {
    if (list.droppedSections.empty()) return {};
    std::string text = "The module catalogue holds more than " + std::to_string(CatalogueList::kMaxLines) +
                       " lines or " + std::to_string(CatalogueList::kMaxTypes) +
                       " module types; these sections are not listed: ";
    for (std::size_t i = 0; i < list.droppedSections.size(); ++i) {
        if (i > 0) text += ", ";
        text += list.droppedSections[i];
    }
    return text;
}

}  // namespace korvo
