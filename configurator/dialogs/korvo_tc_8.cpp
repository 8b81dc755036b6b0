#include "korvo_tc_8.h"

#include "../station/module.h"

namespace korvo::Korvo_TC_8 {

void SetDefaults(TModul& module) {
    module.Parameter = "0,0,0,0,0,0,0,0,";
    for (int channel = 1; channel <= 8; ++channel) module.ParameterComment[channel] = " tc typ L ";
}

}  // namespace korvo::Korvo_TC_8
