#pragma once
// What happens per module type when a module is placed: the type's properties dialog
// writes its default parameter words and comments into the new module.

#include <string>

namespace korvo {

struct TModul;

// Writes the default Parameter and ParameterComment texts of the types that have
// them; returns false (and changes nothing) for every other type.
bool SetDefaultParameters(const std::string& typeName, TModul& module);

}  // namespace korvo
