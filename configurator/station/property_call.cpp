#include "property_call.h"

#include "../dialogs/korvo_ai_2.h"
#include "../dialogs/korvo_ai_8.h"
#include "../dialogs/korvo_rt_2.h"
#include "../dialogs/korvo_rt_6.h"
#include "../dialogs/korvo_tc_2.h"
#include "../dialogs/korvo_tc_4.h"
#include "../dialogs/korvo_tc_8.h"

namespace korvo {

bool SetDefaultParameters(const std::string& typeName, TModul& module) {
    struct Entry {
        const char* type;
        void (*setDefaults)(TModul&);
    };
    static constexpr Entry kTable[] = {
        {"KORVO AI 8", &Korvo_AI_8::SetDefaults}, {"KORVO AI 2", &Korvo_AI_2::SetDefaults},
        {"KORVO RT 2", &Korvo_RT_2::SetDefaults}, {"KORVO TC 2", &Korvo_TC_2::SetDefaults},
        {"KORVO TC 8", &Korvo_TC_8::SetDefaults}, {"KORVO TC 4", &Korvo_TC_4::SetDefaults},
        {"KORVO RT 6", &Korvo_RT_6::SetDefaults},
    };
    for (const Entry& entry : kTable) {
        if (typeName == entry.type) {
            entry.setDefaults(module);
            return true;
        }
    }
    return false;
}

}  // namespace korvo
