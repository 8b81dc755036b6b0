#include "korvo_rt_2.h"

#include "../station/module.h"

namespace korvo::Korvo_RT_2 {

void SetDefaults(TModul& module) {
    module.Parameter = "0,0,";
    for (int channel = 1; channel <= 2; ++channel)
        module.ParameterComment[channel] =
            "PT DIN/ 15 bit/0.1 \xB0"
            "C/100 Ohm/3 cond./";
}

}  // namespace korvo::Korvo_RT_2
