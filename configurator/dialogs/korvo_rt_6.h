#pragma once
// The "KORVO RT 6" properties dialog's sensor table and the type's defaults.

#include "multi_channel_temperature.h"

namespace korvo {

struct TModul;

namespace Korvo_RT_6 {

const MultiChannelLayout& Layout();

// Writes the type's default sensor codes and channel comments into a module that
// has just been placed; the dialog's own state is not touched.
void SetDefaults(TModul& module);

class Dialog : public MultiChannelTemperatureDialog {
public:
    Dialog() : MultiChannelTemperatureDialog(Korvo_RT_6::Layout()) {}
};

}  // namespace Korvo_RT_6
}  // namespace korvo
