#pragma once
// The "KORVO TC 8" properties dialog's sensor table and the type's defaults.

#include "multi_channel_temperature.h"

namespace korvo {

struct TModul;

namespace Korvo_TC_8 {

const MultiChannelLayout& Layout();

// Writes the type's default sensor codes and channel comments into a module that
// has just been placed; the dialog's own state is not touched.
void SetDefaults(TModul& module);

class Dialog : public MultiChannelTemperatureDialog {
public:
    Dialog() : MultiChannelTemperatureDialog(Korvo_TC_8::Layout()) {}
};

}  // namespace Korvo_TC_8
}  // namespace korvo
