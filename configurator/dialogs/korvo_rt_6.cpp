#include "korvo_rt_6.h"

#include "module_data.h"
#include "multi_channel_temperature.h"

#include "../station/module.h"

namespace korvo::Korvo_RT_6 {

const MultiChannelLayout& Layout() {
    // The stored code is the option's number plus 20; "R0 0..450" loads without its
    // trailing blank.
    static const MultiChannelLayout layout{
        "KORVO RT 6",
        "property KORVO RT 6",
        6,
        6,
        6,
        false,
        {
            {20, "Pt 100", " Pt 100 ", " Pt 100 "},
            {21, "Pt 1000", " Pt 1000 ", " Pt 1000 "},
            {22, "Ni 100", " Ni 100 ", " Ni 100 "},
            {23, "Ni 1000", " Ni 1000 ", " Ni 1000 "},
            {24, "KTY81-110", " KTY81-110 ", " KTY81-110 "},
            {25, "KTY 84", " KTY 84 ", " KTY 84 "},
            {26, "R0 0..400", " R0 0..400 ", " R0 0..400 "},
            {27, "R0 0..450", " R0 0..450", " R0 0..450 "},
            {28, "R0 0..4000", " R0 0..4000 ", " R0 0..4000 "},
        },
    };
    return layout;
}

void SetDefaults(TModul& module) {
    SetChannelDefaults(module, 6, "20", " Pt 100 ");
}

}  // namespace korvo::Korvo_RT_6
