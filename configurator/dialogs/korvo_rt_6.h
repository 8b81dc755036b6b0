#pragma once
// The "KORVO RT 6" properties dialog's sensor table and the type's defaults.

namespace korvo {

struct TModul;
struct MultiChannelLayout;

namespace Korvo_RT_6 {

const MultiChannelLayout& Layout();

// Writes the type's default sensor codes and channel comments into a module that
// has just been placed; the dialog's own state is not touched.
void SetDefaults(TModul& module);

}  // namespace Korvo_RT_6
}  // namespace korvo
