#pragma once
// The parameter words and comments a newly placed module of a type starts with come
// from its dialog's logic; the model looks them up by type name.

namespace korvo {

// Registers the defaults of every type that has them; calling it again changes nothing.
void RegisterModuleDefaults();

}  // namespace korvo
