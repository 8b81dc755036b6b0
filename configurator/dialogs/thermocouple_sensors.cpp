#include "thermocouple_sensors.h"

namespace korvo {

const std::vector<SensorOption>& ThermocoupleSensors() {
    // Type S is written in lower case on loading and in upper case on saving.
    static const std::vector<SensorOption> sensors{
        {0, "tc typ L", " tc typ L ", " tc typ L "},   {1, "tc typ J", " tc typ J ", " tc typ J "},
        {2, "tc typ K", " tc typ K ", " tc typ K "},   {3, "tc typ N", " tc typ N ", " tc typ N "},
        {4, "tc typ S", " tc typ s ", " tc typ S "},   {5, "tc typ R", " tc typ R ", " tc typ R "},
        {6, "tc typ T", " tc typ T ", " tc typ T "},   {7, "tc typ C", " tc typ C ", " tc typ C "},
        {8, "tc typ D", " tc typ D ", " tc typ D "},   {9, "tc typ E", " tc typ E ", " tc typ E "},
        {10, "tc typ B", " tc typ B ", " tc typ B "},  {11, "tc typ W", " tc typ W ", " tc typ W "},
    };
    return sensors;
}

}  // namespace korvo
