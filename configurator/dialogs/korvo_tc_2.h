#pragma once
// The "KORVO TC 2" properties dialog's option tables and the type's defaults.

#include "two_channel_temperature.h"

namespace korvo {

struct TModul;

namespace Korvo_TC_2 {

// Sensor, value format, resolution and cold junction of each channel's word.
const TwoChannelLayout& Layout();

// Writes the type's default parameter words and channel comments into a module that
// has just been placed; the dialog's own state is not touched.
void SetDefaults(TModul& module);

class Dialog : public TwoChannelTemperatureDialog {
public:
    Dialog() : TwoChannelTemperatureDialog(Korvo_TC_2::Layout()) {}
};

}  // namespace Korvo_TC_2
}  // namespace korvo
