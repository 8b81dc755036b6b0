#include "korvo_tc_2.h"

#include "module_data.h"
#include "two_channel_temperature.h"

#include "../station/module.h"

namespace korvo::Korvo_TC_2 {

const TwoChannelLayout& Layout() {
    static const TwoChannelLayout layout{
        "KORVO TC 2",
        "properties TC 2",
        {
            {"GroupSensor", "sensor typ", 0, 0xF, 2, nullptr,
             {{0, 0, "tc typ K", nullptr, "Typ K/"},
              {1, 1, "tc typ J", nullptr, "Typ J/"},
              {2, 2, "tc typ E", nullptr, "Typ E/"},
              {3, 3, "tc typ R", nullptr, "Typ R/"},
              {4, 4, "tc typ S", nullptr, "Typ S/"},
              {5, 5, "tc typ T", nullptr, "Typ T/"},
              {6, 6, "tc typ B", nullptr, "Typ B/"},
              {7, 7, "tc typ N", nullptr, "Typ N/"},
              {8, 8, "tc typ U", nullptr, "Typ U/"},
              {9, 9, "tc typ L", nullptr, "Typ L/"},
              {10, 10, "tc typ C", nullptr, "Typ C/"},
              {11, 11, "tc typ W", nullptr, "Typ W/"},
              {12, 12, "tc typ HK", nullptr, "Typ HK/"},
              {13, 13, "cold junction", nullptr, "cold Junction/"},
              {14, 14, "-15mV..85mV", nullptr, "-15..85mV/"}}},
            {"GroupSize", "size", 4, 0x3, 1, "10000 or 1000.0",
             {{16, 0, "15 bit diagnostic", nullptr, "15 bit/"},
              {17, 1, "12 bit diagnostic", nullptr, "12 bit/"},
              {18, 2, "15 bit with sign", nullptr, "15 sign/"}}},
            // Codes 1 and 3 read whole degrees on the options but 0.01 in the comments.
            {"GroupResolution", "resolution", 6, 0x3, 1, nullptr,
             {{19, 0, "0.1 \xB0" "C", nullptr, "0.1 \xB0" "C/"},
              {20, 1, "1    \xB0" "C", nullptr, "0.01 \xB0" "C/"},
              {21, 2, "0.1 \xB0" "F", nullptr, "0.1 \xB0" "F/"},
              {22, 3, "1    \xB0" "F", nullptr, "0.01 \xB0" "F/"}}},
            {"GroupColdJunction", "cold junction", 8, 0xF, 1, nullptr,
             {{23, 0, "internal", nullptr, "avarage intern/"}, {24, 1, "none", nullptr, "average none/"}}},
        },
        {},
    };
    return layout;
}

void SetDefaults(TModul& module) {
    SetChannelDefaults(module, 2, "0", "Typ K/15 bit/0.1 \xB0"
                                                  "C/avarage intern/");
}

}  // namespace korvo::Korvo_TC_2
