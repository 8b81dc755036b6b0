#include "korvo_tc_4.h"

#include "../station/module.h"

namespace korvo::Korvo_TC_4 {

void SetDefaults(TModul& module) {
    module.Parameter = "0,0,0,0,0,0,0,0,";
    for (int channel = 1; channel <= 8; ++channel) module.ParameterComment[channel] = " tc typ L ";
}

}  // namespace korvo::Korvo_TC_4
