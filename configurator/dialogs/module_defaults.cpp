#include "module_defaults.h"

#include "korvo_ai_2.h"
#include "korvo_ai_8.h"
#include "korvo_rt_2.h"
#include "korvo_rt_6.h"
#include "korvo_tc_2.h"
#include "korvo_tc_4.h"
#include "korvo_tc_8.h"
#include "station/property_call.h"

namespace korvo {

void RegisterModuleDefaults() {
    RegisterDefaultParameters("KORVO AI 8", &Korvo_AI_8::SetDefaults);
    RegisterDefaultParameters("KORVO AI 2", &Korvo_AI_2::SetDefaults);
    RegisterDefaultParameters("KORVO RT 2", &Korvo_RT_2::SetDefaults);
    RegisterDefaultParameters("KORVO TC 2", &Korvo_TC_2::SetDefaults);
    RegisterDefaultParameters("KORVO TC 8", &Korvo_TC_8::SetDefaults);
    RegisterDefaultParameters("KORVO TC 4", &Korvo_TC_4::SetDefaults);
    RegisterDefaultParameters("KORVO RT 6", &Korvo_RT_6::SetDefaults);
}

}  // namespace korvo
