// Every test program starts with the modules' defaults registered, as the programs do.

#include "dialogs/module_defaults.h"

namespace {

const bool kRegistered = (korvo::RegisterModuleDefaults(), true);

}  // namespace
