#pragma once
// Logic of the "KORVO TC 4" properties dialog.

namespace korvo {

struct TModul;

namespace Korvo_TC_4 {

// Writes the type's default parameter words and channel comments into a module that
// has just been placed; the dialog's own state is not touched.
void SetDefaults(TModul& module);

}  // namespace Korvo_TC_4
}  // namespace korvo
