#include "korvo_tc_8.h"

#include "module_data.h"
#include "multi_channel_temperature.h"
#include "thermocouple_sensors.h"

#include "../station/module.h"

namespace korvo::Korvo_TC_8 {

const MultiChannelLayout& Layout() {
    static const MultiChannelLayout layout{"KORVO TC 8", "property  KORVO TC 8", 8, 8, 8, true, ThermocoupleSensors()};
    return layout;
}

void SetDefaults(TModul& module) {
    SetChannelDefaults(module, 8, "0", " tc typ L ");
}

}  // namespace korvo::Korvo_TC_8
