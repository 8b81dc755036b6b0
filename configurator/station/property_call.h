#pragma once
// What happens per module type: the type's properties dialog writes its default
// parameter words and comments into a new module, the properties command shows the
// type's dialog, and the connection table names its connection picture and keys.

#include <optional>
#include <span>
#include <string>

namespace korvo {

struct TModul;

// Writes the default Parameter and ParameterComment texts of the types that have
// them; returns false (and changes nothing) for every other type. The defaults are
// the dialogs' own: their logic registers them at program start
// (RegisterModuleDefaults), so the model knows no dialog.
bool SetDefaultParameters(const std::string& typeName, TModul& module);
using DefaultParametersSetter = void (*)(TModul&);
void RegisterDefaultParameters(const std::string& typeName, DefaultParametersSetter setDefaults);

// The properties windows, one per module type that has one.
enum class PropertiesDialog {
    Korvo_AI_2, Korvo_NC_ETH, Korvo_DI_2, Korvo_DI_4, Korvo_DI_8, Korvo_DI_16,
    Korvo_DO_2, Korvo_DO_4, Korvo_DO_8, Korvo_DO_16, Korvo_AI_8, Korvo_RT_2,
    Korvo_TC_2, Korvo_AO_1, Korvo_AO_2V, Korvo_TC_4, Korvo_TC_8, Korvo_RT_6,
    Korvo_DO_1R, Korvo_DO_4R, Korvo_CT_1, Korvo_PB, Korvo_PA,
};

// The dialog the properties command shows for a module type; none for other types.
std::optional<PropertiesDialog> PropertiesDialogFor(const std::string& typeName);
// The window class of the dialog, e.g. "TfrmKorvo_AI_2".
std::string DialogClassName(PropertiesDialog dialog);

// One row of the connection table: the type key names the connection description,
// the group key goes into tag names, the picture lies in the folder documents.
struct ConnectionRow {
    const char* typeName;
    const char* typeKey;
    const char* groupKey;
    const char* pictureFile;
};

std::span<const ConnectionRow> ConnectionTable();
// The first row for the type, null when the table has none.
const ConnectionRow* FindConnection(const std::string& typeName);

}  // namespace korvo
