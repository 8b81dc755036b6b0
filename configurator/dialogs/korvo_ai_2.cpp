#include "korvo_ai_2.h"

#include "../station/module.h"

namespace korvo::Korvo_AI_2 {

void SetDefaults(TModul& module) {
    module.Parameter = "0,0,";
    for (int channel = 1; channel <= 2; ++channel)
        module.ParameterComment[channel] = "16 average/  0..10/FMT1 15bit/";
}

}  // namespace korvo::Korvo_AI_2
