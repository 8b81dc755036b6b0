#pragma once
// The module catalogue "korvo_config.ini": the type list with its colours and the
// table of ID and length codes read when the main window is created.

#include "profile_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvo {

// Fixed type names the configurator attaches behaviour to.
inline constexpr const char* kCouplerType = "KORVO NC ETH";
inline constexpr const char* kPowerFeedType = "KORVO PS";
inline constexpr const char* kPassiveRowBreakType = "KORVO PB";
inline constexpr const char* kPassiveType = "KORVO PA";
inline constexpr const char* kDigitalOutputFamily = "KORVO DO";
inline constexpr const char* kSeparatorLine = ".";

// A module type entry: used for the catalogue table and for the list a coupler reports.
struct TAlleModule {
    std::string name;
    std::uint8_t idCode = 0;
    std::uint8_t lengthCode = 0;
};

struct CatalogueList {
    static constexpr std::size_t kMaxLines = 101;
    static constexpr std::size_t kMaxTypes = 100;

    std::vector<std::string> lines;         // type list lines, separators included
    std::vector<std::uint32_t> FontColors;  // one colour 0x00BBGGRR per line
    // 1-based like the type list numbering: entry 0 is unused.
    std::vector<TAlleModule> CatalogueTypes{TAlleModule{}};
    int CatalogueTypeCount = 1;                // number of entries + 1
    std::vector<std::string> droppedSections;  // sections beyond the limits, not listed

    int TypeEntryCount() const { return CatalogueTypeCount - 1; }
    // The catalogue entry whose codes match, 0 when none does.
    int FindByCodes(std::uint8_t idCode, std::uint8_t lengthCode) const;
};

// Reads the type list, the colours and the code table. At most 101 lines and 100 types
// are taken; the names of the sections left out are reported in droppedSections.
CatalogueList ReadCatalogueList(const ProfileFile& catalogue);

// "The catalogue lists only the first ..." warning text, empty when nothing was dropped.
std::string DroppedSectionsMessage(const CatalogueList& list);

}  // namespace korvo
