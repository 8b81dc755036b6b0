#include "korvo_ai_8.h"

#include "../station/module.h"

namespace korvo::Korvo_AI_8 {

void SetDefaults(TModul& module) {
    module.Parameter = "0,0,0,0,0,0,0,0,";
    for (int channel = 1; channel <= 8; ++channel)
        module.ParameterComment[channel] = "16 average/  0..10/FMT1 15bit/";
}

}  // namespace korvo::Korvo_AI_8
