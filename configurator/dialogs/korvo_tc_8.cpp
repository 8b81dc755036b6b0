#include "korvo_tc_8.h"

#include "multi_channel_temperature.h"
#include "thermocouple_sensors.h"

#include "../station/module.h"

namespace korvo::Korvo_TC_8 {

const MultiChannelLayout& Layout() {
    static const MultiChannelLayout layout{"KORVO TC 8", "property  KORVO TC 8", 8, 8, 8, true, ThermocoupleSensors()};
    return layout;
}

void SetDefaults(TModul& module) {
    module.Parameter = "0,0,0,0,0,0,0,0,";
    for (int channel = 1; channel <= 8; ++channel) module.ParameterComment[channel] = " tc typ L ";
}

}  // namespace korvo::Korvo_TC_8
