#include "module_dialog_registry.h"

#include "korvo_ai_2.h"
#include "korvo_ai_8.h"
#include "korvo_ao_1.h"
#include "korvo_ao_2v.h"
#include "korvo_rt_2.h"
#include "korvo_rt_6.h"
#include "korvo_tc_2.h"
#include "korvo_tc_4.h"
#include "korvo_tc_8.h"
#include "korvo_ct_1.h"

namespace korvo {

namespace {

template <typename T>
std::unique_ptr<ModuleDialog> Make() {
    return std::make_unique<T>();
}

struct DialogFactory {
    const char* type;
    std::unique_ptr<ModuleDialog> (*make)();
};

// One line per module type whose dialog has a headless face.
constexpr DialogFactory kFactories[] = {
    {"KORVO AI 2", &Make<Korvo_AI_2::Dialog>},
    {"KORVO AI 8", &Make<Korvo_AI_8::Dialog>},
    {"KORVO AO 1", &Make<Korvo_AO_1::Dialog>},
    {"KORVO AO 2V", &Make<Korvo_AO_2V::Dialog>},
    {"KORVO RT 2", &Make<Korvo_RT_2::Dialog>},
    {"KORVO TC 2", &Make<Korvo_TC_2::Dialog>},
    {"KORVO TC 4", &Make<Korvo_TC_4::Dialog>},
    {"KORVO TC 8", &Make<Korvo_TC_8::Dialog>},
    {"KORVO RT 6", &Make<Korvo_RT_6::Dialog>},
    {"KORVO CT 1", &Make<Korvo_CT_1::Dialog>},
};

}  // namespace

std::unique_ptr<ModuleDialog> MakeModuleDialog(const std::string& typeName) {
    for (const DialogFactory& factory : kFactories) {
        if (typeName == factory.type) return factory.make();
    }
    return nullptr;
}

}  // namespace korvo
