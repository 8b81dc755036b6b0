#include "korvo_rt_6.h"

#include "../station/module.h"

namespace korvo::Korvo_RT_6 {

void SetDefaults(TModul& module) {
    module.Parameter = "20,20,20,20,20,20,";
    for (int channel = 1; channel <= 6; ++channel) module.ParameterComment[channel] = " Pt 100 ";
}

}  // namespace korvo::Korvo_RT_6
