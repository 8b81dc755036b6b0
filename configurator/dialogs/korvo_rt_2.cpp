#include "korvo_rt_2.h"

#include "module_data.h"
#include "two_channel_temperature.h"

#include "../station/module.h"

namespace korvo::Korvo_RT_2 {

const TwoChannelLayout& Layout() {
    static const TwoChannelLayout layout{
        "KORVO RT 2",
        "properties RT 2",
        {
            {"GroupSensor", "sensor typ", 0, 0xF, 2, nullptr,
             {{0, 0, "PT DIN", nullptr, "PT DIN/"},
              {1, 1, "Pt SAMA", nullptr, "PT SAMA/"},
              {2, 2, "Ni SAMA", nullptr, "Ni SAMA/"},
              {3, 3, "Cu 10", nullptr, "Cu 10/"},
              {4, 4, "Cu 50", nullptr, "Cu 50/"},
              {5, 5, "Cu 53", nullptr, "Cu 53/"},
              {6, 6, "Ni 100", nullptr, "Ni 100/"},
              {7, 7, "Ni 500", nullptr, "Ni 500/"},
              {8, 8, "KTY 1-110", nullptr, "KTY 1-110/"},
              {9, 9, "KTY 84", nullptr, "KTY 84/"},
              {10, 10, "reserve", nullptr, "reserve/"},
              {11, 11, "reserve", nullptr, "reserve/"},
              {12, 12, "Poti", nullptr, "Poti/"},
              {13, 13, "linear 0..400", nullptr, "lin 0..400/"},
              {14, 14, "linear 0..4000", nullptr, "lin 0.4000/"}}},
            {"GroupSize", "size  ", 4, 0x3, 1, "1000.0 or 100.00  ",
             {{16, 0, "15 bit diagnostic", nullptr, "15 bit/"},
              {17, 1, "12 bit diagnostic", nullptr, "12 bit/"},
              {18, 2, "15 bit with sign", nullptr, "15 sign/"}}},
            {"GroupResolution", "resolution", 6, 0x3, 1, nullptr,
             {{19, 0, "0.1  \xB0" "C", "0.1 \xB0" "C", "0.1 \xB0" "C/"},
              {20, 1, "0.01\xB0" "C", nullptr, "0.01 \xB0" "C/"},
              {21, 2, "0.1  \xB0" "F", nullptr, "0.1 \xB0" "F/"},
              {22, 3, "0.01\xB0" "F", nullptr, "0.01 \xB0" "F/"}}},
            {"GroupR0", "R0 [Ohm]", 8, 0xF, 2, nullptr,
             {{25, 0, "100", nullptr, "100 Ohm/"},
              {26, 1, "10", nullptr, "10 Ohm/"},
              {27, 2, "20", nullptr, "20 Ohm/"},
              {28, 3, "30", nullptr, "30 Ohm/"},
              {29, 4, "50", nullptr, "50 Ohm/"},
              {30, 5, "120", nullptr, "120 Ohm/"},
              {31, 6, "150", nullptr, "150 Ohm/"},
              {32, 7, "200", nullptr, "200 Ohm/"},
              {33, 8, "240", nullptr, "240 Ohm/"},
              {34, 9, "300", nullptr, "300 Ohm/"},
              {35, 10, "400", nullptr, "400 Ohm/"},
              {36, 11, "500", nullptr, "500 Ohm/"},
              {37, 12, "1000", nullptr, "1000 Ohm/"},
              {38, 13, "1500", nullptr, "1500 Ohm/"},
              {39, 14, "2000", nullptr, "2000 Ohm/"},
              {40, 15, "3000", nullptr, "3000 Ohm/"}}},
            {"GroupConnection", "connection typ", 12, 0x3, 1, nullptr,
             {{41, 0, "3 conductor", nullptr, "3 cond./"},
              {42, 1, "2 conductor", nullptr, "2 cond./"},
              {43, 2, "4 conductor", nullptr, "4 cond./"}}},
        },
        {1},
    };
    return layout;
}

void SetDefaults(TModul& module) {
    SetChannelDefaults(module, 2, "0", "PT DIN/ 15 bit/0.1 \xB0"
                                                  "C/100 Ohm/3 cond./");
}

}  // namespace korvo::Korvo_RT_2
