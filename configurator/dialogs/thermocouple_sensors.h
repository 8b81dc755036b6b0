#pragma once
// The thermocouple types of the TC 4 and TC 8 modules, which share one sensor table.

#include "multi_channel_temperature.h"

#include <vector>

namespace korvo {

const std::vector<SensorOption>& ThermocoupleSensors();

}  // namespace korvo
