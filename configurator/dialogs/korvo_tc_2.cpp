#include "korvo_tc_2.h"

#include "../station/module.h"

namespace korvo::Korvo_TC_2 {

void SetDefaults(TModul& module) {
    module.Parameter = "0,0,";
    for (int channel = 1; channel <= 2; ++channel)
        module.ParameterComment[channel] =
            "Typ K/15 bit/0.1 \xB0"
            "C/avarage intern/";
}

}  // namespace korvo::Korvo_TC_2
