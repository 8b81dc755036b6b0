#pragma once
// The "KORVO RT 2" properties dialog's option tables and the type's defaults.

namespace korvo {

struct TModul;
struct TwoChannelLayout;

namespace Korvo_RT_2 {

// Sensor, value format, resolution, R0 and connection of each channel's word.
const TwoChannelLayout& Layout();

// Writes the type's default parameter words and channel comments into a module that
// has just been placed; the dialog's own state is not touched.
void SetDefaults(TModul& module);

}  // namespace Korvo_RT_2
}  // namespace korvo
