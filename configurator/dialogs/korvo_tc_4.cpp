#include "korvo_tc_4.h"

#include "module_data.h"
#include "multi_channel_temperature.h"
#include "thermocouple_sensors.h"

#include "../station/module.h"

namespace korvo::Korvo_TC_4 {

const MultiChannelLayout& Layout() {
    // Eight sensor channels are kept and configured, the values of four are shown.
    static const MultiChannelLayout layout{"KORVO TC 4", "property  KORVO TC 4", 8, 4, 8, true, ThermocoupleSensors()};
    return layout;
}

void SetDefaults(TModul& module) {
    SetChannelDefaults(module, 8, "0", " tc typ L ");
}

}  // namespace korvo::Korvo_TC_4
